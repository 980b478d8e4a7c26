#include "platform/render/GpuMesh.h"

#include "platform/scene/MeshData.h"

#include <cstdint>

namespace plimsa {
namespace {

template <typename T>
size_t bytesOf(const std::vector<T>& values) {
    return values.size() * sizeof(T);
}

// Appends an array to the bound vertex buffer at `offset` and points `location` at it.
template <typename T>
void attach(GLuint location, const std::vector<T>& values, GLint components, GLenum type, bool integer,
            size_t& offset) {
    if (values.empty()) return;
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytesOf(values)),
                    values.data());
    const void* pointer = reinterpret_cast<const void*>(offset);
    if (integer) {
        glVertexAttribIPointer(location, components, type, 0, pointer);
    } else {
        glVertexAttribPointer(location, components, type, GL_FALSE, 0, pointer);
    }
    glEnableVertexAttribArray(location);
    offset += bytesOf(values);
}

}  // namespace

GpuMesh::GpuMesh(const MeshData& source)
    : vertexArray_(GlVertexArray::generate()), vertices_(GlBuffer::generate()), indices_(GlBuffer::generate()) {
    const MeshData* mesh = &source;
    MeshData withNormals;
    if (source.normals.size() != source.positions.size()) {
        withNormals = source;
        withNormals.generateNormals();
        mesh = &withNormals;
    }
    hasJoints_ = !mesh->joints.empty() && mesh->joints.size() == mesh->positions.size() &&
                 mesh->weights.size() == mesh->positions.size();

    glBindVertexArray(vertexArray_.id());
    glBindBuffer(GL_ARRAY_BUFFER, vertices_.id());
    size_t total = bytesOf(mesh->positions) + bytesOf(mesh->normals) + bytesOf(mesh->texcoords);
    if (hasJoints_) total += bytesOf(mesh->joints) + bytesOf(mesh->weights);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(total), nullptr, GL_STATIC_DRAW);
    size_t offset = 0;
    attach(0, mesh->positions, 3, GL_FLOAT, false, offset);
    attach(1, mesh->normals, 3, GL_FLOAT, false, offset);
    if (mesh->texcoords.size() == mesh->positions.size()) attach(2, mesh->texcoords, 2, GL_FLOAT, false, offset);
    else glVertexAttrib2f(2, 0.0f, 0.0f);
    if (hasJoints_) {
        attach(3, mesh->joints, 4, GL_UNSIGNED_SHORT, true, offset);
        attach(4, mesh->weights, 4, GL_FLOAT, false, offset);
    }

    size_t indexCount = 0;
    for (const GeometryElement& element : mesh->elements) indexCount += element.indices.size() / 3 * 3;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_.id());
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCount * sizeof(uint32_t)), nullptr,
                 GL_STATIC_DRAW);
    size_t first = 0;
    for (const GeometryElement& element : mesh->elements) {
        const size_t count = element.indices.size() / 3 * 3;
        glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLintptr>(first * sizeof(uint32_t)),
                        static_cast<GLsizeiptr>(count * sizeof(uint32_t)), element.indices.data());
        ranges_.push_back({first, static_cast<int>(count)});
        first += count;
    }
    glBindVertexArray(0);
    byteSize_ = total + indexCount * sizeof(uint32_t);
}

void GpuMesh::drawElement(size_t element) const {
    if (element >= ranges_.size() || ranges_[element].count == 0) return;
    glDrawElements(GL_TRIANGLES, ranges_[element].count, GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(ranges_[element].firstIndex * sizeof(uint32_t)));
}

}  // namespace plimsa
