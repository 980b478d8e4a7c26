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

std::string_view ShaderSources::regionVertex() {
    return R"glsl(
layout(location = 0) in vec2 aPixel;  // a corner of a rectangle of the target, in pixels
uniform vec2 uSize;
void main() {
    gl_Position = vec4(aPixel / uSize * 2.0 - 1.0, 0.0, 1.0);
}
)glsl";
}

std::string_view ShaderSources::presentFragment() {
    return R"glsl(
// Variants: PARTIAL_ALPHA when the frame may hold partly covered pixels, which must be converted (see
// toOutput); without it every pixel is opaque or empty and already right as stored, so the stored values
// are copied (read raw: the sampler skips the sRGB decode). SMOOTH_EDGES blends each pixel on an edge with
// its neighbour across the edge, by how far along the edge's stair step it lies (luma-based, after FXAA's
// quality search). Edges are found in perceptual values with coverage (alpha) counted in, so that a
// silhouette against the transparent background is smoothed whatever its colour. Blending stored values
// across a silhouette gives exactly premultiplied sRGB, the output's convention.
uniform sampler2D uFrame;   // premultiplied linear colour, stored sRGB-encoded
uniform bool uRawSrgb;      // uFrame returns the stored (encoded) values, not decoded ones
uniform bool uFlipRows;
uniform int uHeight;
uniform vec2 uSize;
uniform sampler2D uFrameLinear;  // the same frame, decoded and filtered bilinearly
// The same frame again for texelFetch, on a unit of its own: Mesa decodes sRGB for every read of a unit
// that texelFetch reads, whatever the sampler says.
uniform sampler2D uFrameTexels;
out vec4 fragColor;

vec3 encodeSrgb(vec3 c) {
    c = clamp(c, 0.0, 1.0);
    return mix(c * 12.92, 1.055 * pow(c, vec3(1.0 / 2.4)) - 0.055, step(vec3(0.0031308), c));
}

vec3 decodeSrgb(vec3 c) {
    return mix(c / 12.92, pow((c + 0.055) / 1.055, vec3(2.4)), step(vec3(0.04045), c));
}

// Compositors blend premultiplied sRGB values, so premultiply after encoding, not before.
vec4 toOutput(vec3 linear, float alpha) {
    vec3 straight = alpha > 0.0 ? linear / alpha : vec3(0.0);
    return vec4(encodeSrgb(straight) * alpha, alpha);
}

#if defined(SMOOTH_EDGES) || defined(MARK_EDGES)
// Unfiltered reads: a CPU rasteriser runs every lane through all of this, and filtering costs it four
// reads per tap. texelFetch decodes sRGB, so luma takes the square root as a perceptual curve.
float luma(ivec2 p) {
    vec4 t = texelFetch(uFrameTexels, clamp(p, ivec2(0), ivec2(uSize) - 1), 0);
    return 0.5 * dot(sqrt(max(t.rgb, 0.0)), vec3(0.299, 0.587, 0.114)) + 0.5 * t.a;
}

bool onAnEdge(float range, float highest) {
    return range >= max(0.0312, highest * 0.125);
}
#endif

#ifdef SMOOTH_EDGES
// Where to read the pixel `p` (on an edge) from, in texture coordinates: moved across the edge.
vec2 smoothedAt(ivec2 p) {
    vec2 uv = (vec2(p) + 0.5) / uSize;
    float lM = luma(p);
    float lN = luma(p + ivec2(0, 1)), lS = luma(p - ivec2(0, 1));
    float lE = luma(p + ivec2(1, 0)), lW = luma(p - ivec2(1, 0));
    float range = max(max(max(lN, lS), max(lE, lW)), lM) - min(min(min(lN, lS), min(lE, lW)), lM);
    float lNW = luma(p + ivec2(-1, 1)), lNE = luma(p + ivec2(1, 1));
    float lSW = luma(p - ivec2(1, 1)), lSE = luma(p + ivec2(1, -1));
    float edgeHorizontal = abs(lNW + lSW - 2.0 * lW) + 2.0 * abs(lN + lS - 2.0 * lM) + abs(lNE + lSE - 2.0 * lE);
    float edgeVertical = abs(lNW + lNE - 2.0 * lN) + 2.0 * abs(lW + lE - 2.0 * lM) + abs(lSW + lSE - 2.0 * lS);
    bool horizontal = edgeHorizontal >= edgeVertical;

    // The neighbour across the edge: below or above for a horizontal edge, else left or right.
    float l1 = horizontal ? lS : lW, l2 = horizontal ? lN : lE;
    float gradient1 = l1 - lM, gradient2 = l2 - lM;
    bool towardFirst = abs(gradient1) >= abs(gradient2);
    float gradientScaled = 0.25 * max(abs(gradient1), abs(gradient2));
    float lumaPair = 0.5 * (lM + (towardFirst ? l1 : l2));
    ivec2 across = horizontal ? ivec2(0, 1) : ivec2(1, 0);
    if (towardFirst) across = -across;
    ivec2 along = horizontal ? ivec2(1, 0) : ivec2(0, 1);

    // Walk along the edge, averaging the pixel's row and its neighbour's, until that leaves the pair's luma.
    const int kSteps[5] = int[5](1, 1, 2, 4, 8);
    int reach1 = 1, reach2 = 1;
    float delta1 = 0.5 * (luma(p - along) + luma(p - along + across)) - lumaPair;
    float delta2 = 0.5 * (luma(p + along) + luma(p + along + across)) - lumaPair;
    bool done1 = abs(delta1) >= gradientScaled, done2 = abs(delta2) >= gradientScaled;
    for (int i = 1; i < 5 && !(done1 && done2); ++i) {
        if (!done1) {
            reach1 += kSteps[i];
            delta1 = 0.5 * (luma(p - along * reach1) + luma(p - along * reach1 + across)) - lumaPair;
            done1 = abs(delta1) >= gradientScaled;
        }
        if (!done2) {
            reach2 += kSteps[i];
            delta2 = 0.5 * (luma(p + along * reach2) + luma(p + along * reach2 + across)) - lumaPair;
            done2 = abs(delta2) >= gradientScaled;
        }
    }
    float distance1 = float(reach1) - 0.5, distance2 = float(reach2) - 0.5;
    bool nearer1 = distance1 < distance2;
    float nearest = min(distance1, distance2);
    // Blend only when the nearer end of the step is where the edge turns away from this pixel's side.
    bool centreBelowPair = lM - lumaPair < 0.0;
    bool goodSpan = ((nearer1 ? delta1 : delta2) < 0.0) != centreBelowPair;
    float offset = goodSpan ? 0.5 - nearest / (distance1 + distance2) : 0.0;

    // Thin features a pixel wide or less get blended by how much they differ from their surroundings.
    float average = (2.0 * (lN + lS + lE + lW) + (lNW + lNE + lSW + lSE)) / 12.0;
    float subpixel = clamp(abs(average - lM) / max(range, 1e-6), 0.0, 1.0);
    subpixel = (-2.0 * subpixel + 3.0) * subpixel * subpixel;
    offset = max(offset, subpixel * subpixel * 0.75);
    return uv + vec2(across) * offset / uSize;
}
#endif

#ifdef MARK_EDGES
void main() {
    ivec2 p = ivec2(gl_FragCoord.xy);
    float lM = luma(p);
    float lN = luma(p + ivec2(0, 1)), lS = luma(p - ivec2(0, 1));
    float lE = luma(p + ivec2(1, 0)), lW = luma(p - ivec2(1, 0));
    float highest = max(max(max(lN, lS), max(lE, lW)), lM);
    if (!onAnEdge(highest - min(min(min(lN, lS), min(lE, lW)), lM), highest)) discard;
    fragColor = vec4(0.0);
}
#else
void main() {
    ivec2 p = ivec2(gl_FragCoord.xy);
    if (uFlipRows) p.y = uHeight - 1 - p.y;
#ifdef SMOOTH_EDGES
    vec2 uv = smoothedAt(p);
#else
    vec2 uv = (vec2(p) + 0.5) / uSize;
#endif
#if defined(SMOOTH_EDGES) && defined(PARTIAL_ALPHA)
    vec4 linear = texture(uFrameLinear, uv);
    fragColor = toOutput(linear.rgb, linear.a);
#elif defined(PARTIAL_ALPHA)
    // texture() at texel centres rather than texelFetch, so that the sampler's sRGB decode setting applies.
    vec4 texel = texture(uFrame, uv);
    // Opaque and empty pixels are already right as stored; only partly covered ones need converting.
    if (uRawSrgb && (texel.a >= 1.0 || texel.a <= 0.0))
        fragColor = texel;
    else
        fragColor = toOutput(uRawSrgb ? decodeSrgb(texel.rgb) : texel.rgb, texel.a);
#else
    fragColor = texture(uFrame, uv);
#endif
}
#endif
)glsl";
}

}  // namespace plimsa
