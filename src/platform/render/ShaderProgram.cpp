#include "platform/render/ShaderProgram.h"

#include <vector>

namespace plimsa {
namespace {

constexpr std::string_view kVersion = "#version 330 core\n";

GlShader compile(GLenum stage, std::string_view source, std::string_view defines, std::string& log) {
    GlShader shader(glCreateShader(stage));
    const char* parts[] = {kVersion.data(), defines.empty() ? "" : defines.data(), source.data()};
    const GLint lengths[] = {static_cast<GLint>(kVersion.size()), static_cast<GLint>(defines.size()),
                             static_cast<GLint>(source.size())};
    glShaderSource(shader.id(), 3, parts, lengths);
    glCompileShader(shader.id());
    GLint ok = GL_FALSE;
    glGetShaderiv(shader.id(), GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) return shader;
    GLint length = 0;
    glGetShaderiv(shader.id(), GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(static_cast<size_t>(length > 0 ? length : 1), '\0');
    glGetShaderInfoLog(shader.id(), static_cast<GLsizei>(text.size()), nullptr, text.data());
    log += (stage == GL_VERTEX_SHADER ? "vertex: " : "fragment: ") + std::string(text.data());
    return {};
}

}  // namespace

ShaderProgram ShaderProgram::build(std::string_view vertexSource, std::string_view fragmentSource,
                                   std::string_view defines) {
    ShaderProgram result;
    GlShader vertex = compile(GL_VERTEX_SHADER, vertexSource, defines, result.log_);
    GlShader fragment = compile(GL_FRAGMENT_SHADER, fragmentSource, defines, result.log_);
    if (!vertex || !fragment) return result;
    GlProgram program = GlProgram::generate();
    glAttachShader(program.id(), vertex.id());
    glAttachShader(program.id(), fragment.id());
    glLinkProgram(program.id());
    glDetachShader(program.id(), vertex.id());
    glDetachShader(program.id(), fragment.id());
    GLint ok = GL_FALSE;
    glGetProgramiv(program.id(), GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        GLint length = 0;
        glGetProgramiv(program.id(), GL_INFO_LOG_LENGTH, &length);
        std::vector<char> text(static_cast<size_t>(length > 0 ? length : 1), '\0');
        glGetProgramInfoLog(program.id(), static_cast<GLsizei>(text.size()), nullptr, text.data());
        result.log_ += "link: " + std::string(text.data());
        return result;
    }
    result.program_ = std::move(program);
    return result;
}

GLint ShaderProgram::uniform(const char* name) {
    auto found = locations_.find(name);
    if (found != locations_.end()) return found->second;
    GLint location = glGetUniformLocation(program_.id(), name);
    locations_.emplace(name, location);
    return location;
}

}  // namespace plimsa
