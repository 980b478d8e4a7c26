#pragma once

#include <cstdint>

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

/// The MeshProgramKey features `material` needs: its usable textures, alpha cutoff and lighting model
/// (uploading textures on first use).
uint32_t materialFeatures(const Material& material, ResourceCache& cache);

/// Sets a mesh program's material uniforms, textures and samplers, and the face culling and depth-write
/// state that the material asks for. The program (chosen with materialFeatures) must be in use.
/// The renderer's thread.
void applyMaterial(ShaderProgram& program, const Material& material, ResourceCache& cache);

}  // namespace plimsa
