#pragma once

#include "platform/render/GlObject.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace plimsa {

/// A linked GLSL 3.30 core program. Uniform locations are looked up once per name and cached.
/// Thread: the thread whose context is current. Failure to compile or link is a value (`isValid` false,
/// `log` says why), never an abort.
class ShaderProgram {
public:
    ShaderProgram() = default;
    /// Compiles both stages with `defines` (e.g. "#define SKINNED 1\n") inserted after the version line.
    static ShaderProgram build(std::string_view vertexSource, std::string_view fragmentSource,
                               std::string_view defines = {});

    bool isValid() const { return static_cast<bool>(program_); }
    const std::string& log() const { return log_; }
    GLuint id() const { return program_.id(); }
    void use() const { glUseProgram(program_.id()); }

    /// The location of a uniform, -1 when the program has none of that name (setting -1 is a no-op in GL).
    GLint uniform(const char* name);

private:
    GlProgram program_;
    std::string log_;
    std::unordered_map<std::string, GLint> locations_;
};

}  // namespace plimsa
