#pragma once

namespace plimsa {

class Material;
class ResourceCache;
class ShaderProgram;

/// Texture units of the mesh programs.
enum TextureUnit : int {
    kDiffuseUnit = 0,
    kNormalUnit = 1,
    kMultiplyUnit = 2,
    kEmissionUnit = 3,
    kEnvironmentUnit = 4,
    kJointPaletteUnit = 5,
};

/// Sets a mesh program's material uniforms, textures and samplers, and the face culling and depth-write
/// state that the material asks for. The program must be in use. The renderer's thread.
void applyMaterial(ShaderProgram& program, const Material& material, ResourceCache& cache);

}  // namespace plimsa
