#include "platform/render/ShaderSources.h"

namespace plimsa {

std::string_view ShaderSources::meshVertex() {
    return R"glsl(
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aTexcoord;
layout(location = 3) in uvec4 aJoints;
layout(location = 4) in vec4 aWeights;

uniform mat4 uModel;
uniform mat3 uNormalMatrix;
uniform mat4 uViewProjection;
#ifdef SKINNED
uniform samplerBuffer uJointPalette;
uniform int uJointOffset;
uniform int uJointCount;

mat4 joint(uint index) {
    if (int(index) >= uJointCount) return mat4(1.0);
    int base = (uJointOffset + int(index)) * 4;
    return mat4(texelFetch(uJointPalette, base), texelFetch(uJointPalette, base + 1),
                texelFetch(uJointPalette, base + 2), texelFetch(uJointPalette, base + 3));
}
#endif

out vec3 vWorldPosition;
out vec3 vNormal;
out vec2 vTexcoord;

void main() {
#ifdef SKINNED
    float total = aWeights.x + aWeights.y + aWeights.z + aWeights.w;
    mat4 skin;
    if (total > 1e-6) {
        vec4 w = aWeights / total;
        skin = w.x * joint(aJoints.x) + w.y * joint(aJoints.y) + w.z * joint(aJoints.z) + w.w * joint(aJoints.w);
    } else {
        skin = joint(aJoints.x);
    }
    vec4 world = skin * vec4(aPosition, 1.0);
    vNormal = mat3(skin) * aNormal;
#else
    vec4 world = uModel * vec4(aPosition, 1.0);
    vNormal = uNormalMatrix * aNormal;
#endif
    vWorldPosition = world.xyz;
    vTexcoord = aTexcoord;
    gl_Position = uViewProjection * world;
}
)glsl";
}

std::string_view ShaderSources::meshFragment() {
    return R"glsl(
// Features are compiled in (see MeshProgramKey): DIFFUSE_MAP, NORMAL_MAP, MULTIPLY_MAP, EMISSION_MAP,
// ALPHA_CUTOFF, UNLIT, ENVIRONMENT and LIGHT_COUNT; a software rasterizer pays for every branch not taken.
const float PI = 3.14159265;

in vec3 vWorldPosition;
in vec3 vNormal;
in vec2 vTexcoord;
out vec4 fragColor;

uniform vec4 uDiffuseColor;       // linear RGB, straight alpha
uniform sampler2D uDiffuseMap;    // sRGB texture, decoded by the sampler
uniform mat3 uDiffuseUv;
uniform sampler2D uNormalMap;
uniform mat3 uNormalUv;
uniform vec3 uMultiplyColor;
uniform sampler2D uMultiplyMap;
uniform mat3 uMultiplyUv;
uniform vec3 uEmissionColor;
uniform sampler2D uEmissionMap;
uniform mat3 uEmissionUv;
uniform float uRoughness;
uniform float uMetalness;
uniform float uTransparency;
uniform float uAlphaFromDiffuse;  // 1: alpha from the diffuse colour or image, 0: opaque diffuse
uniform float uAlphaCutoff;

uniform vec3 uCameraPosition;
uniform vec3 uViewDirection;
uniform bool uOrthographic;
#if LIGHT_COUNT > 0
uniform vec3 uLightDirections[LIGHT_COUNT];
uniform vec3 uLightRadiance[LIGHT_COUNT];
#endif
uniform vec3 uAmbient;
uniform vec3 uEnvironmentSh[9];
uniform samplerCube uEnvironmentSpecular;
uniform float uEnvironmentMaxLod;
uniform float uEnvironmentIntensity;

vec2 transformUv(mat3 m) { return (m * vec3(vTexcoord, 1.0)).xy; }

vec3 shIrradiance(vec3 n) {
    vec3 r = uEnvironmentSh[0] * 0.282095
           + uEnvironmentSh[1] * 0.488603 * n.y + uEnvironmentSh[2] * 0.488603 * n.z
           + uEnvironmentSh[3] * 0.488603 * n.x
           + uEnvironmentSh[4] * 1.092548 * n.x * n.y + uEnvironmentSh[5] * 1.092548 * n.y * n.z
           + uEnvironmentSh[6] * 0.315392 * (3.0 * n.z * n.z - 1.0)
           + uEnvironmentSh[7] * 1.092548 * n.x * n.z
           + uEnvironmentSh[8] * 0.546274 * (n.x * n.x - n.y * n.y);
    return max(r, vec3(0.0));
}

// Tangent frame from screen-space derivatives, so meshes need no tangents. Texture v grows downward,
// while the map's green channel points up the image: the bitangent is -dp/dv.
vec3 perturbNormal(vec3 n, vec3 mapNormal) {
    vec3 dp1 = dFdx(vWorldPosition), dp2 = dFdy(vWorldPosition);
    vec2 uv1 = dFdx(vTexcoord), uv2 = dFdy(vTexcoord);
    vec3 dp2perp = cross(dp2, n), dp1perp = cross(n, dp1);
    vec3 t = dp2perp * uv1.x + dp1perp * uv2.x;
    vec3 b = -(dp2perp * uv1.y + dp1perp * uv2.y);
    float scale = max(dot(t, t), dot(b, b));
    if (scale < 1e-20) return n;
    float inverse = inversesqrt(scale);
    return normalize(mat3(t * inverse, b * inverse, n) * mapNormal);
}

float ggx(float nDotH, float alpha) {
    float a2 = alpha * alpha;
    float d = nDotH * nDotH * (a2 - 1.0) + 1.0;
    return a2 / (PI * d * d);
}

float smithVisibility(float nDotL, float nDotV, float alpha) {
    float a2 = alpha * alpha;
    float gv = nDotL * sqrt(nDotV * nDotV * (1.0 - a2) + a2);
    float gl = nDotV * sqrt(nDotL * nDotL * (1.0 - a2) + a2);
    return 0.5 / max(gv + gl, 1e-5);
}

vec3 fresnel(vec3 f0, float cosTheta) {
    float m = 1.0 - cosTheta;
    float m2 = m * m;
    return f0 + (1.0 - f0) * (m2 * m2 * m);
}

// Karis' analytic fit of the split-sum environment BRDF.
vec2 environmentBrdf(float roughness, float nDotV) {
    const vec4 c0 = vec4(-1.0, -0.0275, -0.572, 0.022);
    const vec4 c1 = vec4(1.0, 0.0425, 1.04, -0.04);
    vec4 r = roughness * c0 + c1;
    float a004 = min(r.x * r.x, exp2(-9.28 * nDotV)) * r.x + r.y;
    return vec2(-1.04, 1.04) * a004 + r.zw;
}

// Lit colours above the knee roll off toward the shoulder instead of clipping flat, so that brightly lit
// light surfaces keep their shape; everything below the knee (most of the image) is left exactly as is.
vec3 highlightShoulder(vec3 c) {
    const float knee = 0.8;
    const float shoulder = 1.3;
    vec3 over = max(c - knee, 0.0);
    return min(c, vec3(knee)) + (shoulder - knee) * (1.0 - exp(-over / (shoulder - knee)));
}

vec3 shade(vec3 baseColor) {
    vec3 n = normalize(vNormal);
    if (!gl_FrontFacing) n = -n;
#ifdef NORMAL_MAP
    n = perturbNormal(n, texture(uNormalMap, transformUv(uNormalUv)).xyz * 2.0 - 1.0);
#endif
    vec3 v = uOrthographic ? -uViewDirection : normalize(uCameraPosition - vWorldPosition);
    float nDotV = max(dot(n, v), 1e-4);
    float roughness = clamp(uRoughness, 0.045, 1.0);
    float alphaG = roughness * roughness;
    vec3 diffuseColor = baseColor * (1.0 - uMetalness);
    vec3 f0 = mix(vec3(0.04), baseColor, uMetalness);
    vec3 color = diffuseColor * uAmbient;
#if LIGHT_COUNT > 0
    for (int i = 0; i < LIGHT_COUNT; ++i) {
        vec3 l = -uLightDirections[i];
        float nDotL = dot(n, l);
        if (nDotL > 0.0) {
            vec3 h = normalize(l + v);
            float nDotH = max(dot(n, h), 0.0);
            vec3 f = fresnel(f0, max(dot(l, h), 0.0));
            vec3 specular = f * ggx(nDotH, alphaG) * smithVisibility(nDotL, nDotV, alphaG);
            // Radiance is scaled so that a white Lambertian surface facing a light of 1000 shows its colour.
            color += ((1.0 - f) * diffuseColor + PI * specular) * uLightRadiance[i] * nDotL;
        }
    }
#endif
#ifdef ENVIRONMENT
    vec3 r = reflect(-v, n);
    vec3 prefiltered = textureLod(uEnvironmentSpecular, r, roughness * uEnvironmentMaxLod).rgb;
    vec2 brdf = environmentBrdf(roughness, nDotV);
    color += (diffuseColor * shIrradiance(n) + prefiltered * (f0 * brdf.x + brdf.y)) * uEnvironmentIntensity;
#endif
    return color;
}

void main() {
    vec4 base = uDiffuseColor;
#ifdef DIFFUSE_MAP
    base *= texture(uDiffuseMap, transformUv(uDiffuseUv));
#endif
    float alpha = mix(1.0, base.a, uAlphaFromDiffuse) * uTransparency;
#ifdef ALPHA_CUTOFF
    if (alpha < uAlphaCutoff) discard;
    alpha = 1.0;
#endif
    vec3 multiply = uMultiplyColor;
#ifdef MULTIPLY_MAP
    multiply *= texture(uMultiplyMap, transformUv(uMultiplyUv)).rgb;
#endif
    vec3 emission = uEmissionColor;
#ifdef EMISSION_MAP
    emission *= texture(uEmissionMap, transformUv(uEmissionUv)).rgb;
#endif
#ifdef UNLIT
    vec3 color = base.rgb * multiply + emission;
#else
    vec3 color = highlightShoulder(shade(base.rgb) * multiply) + emission;
#endif
    fragColor = vec4(color * alpha, alpha);
}
)glsl";
}

std::string_view ShaderSources::fullScreenVertex() {
    return R"glsl(
void main() {
    vec2 corner = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2));
    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
)glsl";
}

std::string_view ShaderSources::presentFragment() {
    return R"glsl(
uniform sampler2D uFrame;   // premultiplied linear colour, stored sRGB-encoded
uniform bool uRawSrgb;      // the sampler returns the stored (encoded) values, not decoded ones
uniform bool uFlipRows;
uniform int uHeight;
uniform vec2 uSize;
out vec4 fragColor;

vec3 encodeSrgb(vec3 c) {
    c = clamp(c, 0.0, 1.0);
    return mix(c * 12.92, 1.055 * pow(c, vec3(1.0 / 2.4)) - 0.055, step(vec3(0.0031308), c));
}

vec3 decodeSrgb(vec3 c) {
    return mix(c / 12.92, pow((c + 0.055) / 1.055, vec3(2.4)), step(vec3(0.04045), c));
}

void main() {
    ivec2 p = ivec2(gl_FragCoord.xy);
    if (uFlipRows) p.y = uHeight - 1 - p.y;
    // texture() at texel centres rather than texelFetch, so that the sampler's sRGB decode setting applies.
    vec4 texel = texture(uFrame, (vec2(p) + 0.5) / uSize);
    float alpha = texel.a;
    // Opaque and empty pixels are already right as stored; only partly covered ones need converting.
    if (uRawSrgb && (alpha >= 1.0 || alpha <= 0.0)) {
        fragColor = texel;
        return;
    }
    vec3 linear = uRawSrgb ? decodeSrgb(texel.rgb) : texel.rgb;
    // Compositors blend premultiplied sRGB values, so premultiply after encoding, not before.
    vec3 straight = alpha > 0.0 ? linear / alpha : vec3(0.0);
    fragColor = vec4(encodeSrgb(straight) * alpha, alpha);
}
)glsl";
}

}  // namespace plimsa
