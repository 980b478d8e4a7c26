#include "platform/scene/GeometrySource.h"

namespace plimsa {

const char* semanticName(GeometrySemantic semantic) {
    switch (semantic) {
        case GeometrySemantic::vertex:
            return "vertex";
        case GeometrySemantic::normal:
            return "normal";
        case GeometrySemantic::texcoord:
            return "texcoord";
        case GeometrySemantic::boneIndices:
            return "boneIndices";
        case GeometrySemantic::boneWeights:
            return "boneWeights";
    }
    return "unknown";
}

std::string GeometrySource::description() const {
    return std::string(semanticName(semantic)) + " x " + std::to_string(vectorCount);
}

}  // namespace plimsa
