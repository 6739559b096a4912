#pragma once
// Shared by the picture fuzz targets: any bytes loaded as a picture, and a picture written back and loaded
// again.
#include <cstddef>
#include <cstdint>

#include "BaseClasses.h"

namespace fuzzharness {

// Loads the bytes into picture; false when the loader refuses them (the one failure it may report).
template <class Picture> bool loadPicture(Picture& picture, const uint8_t* data, size_t size) {
    engine3d::TMemoryStream file;
    file.Bytes().assign(data, data + size);
    try {
        picture.LoadFromStream(file);
    } catch (const engine3d::Exception&) {
        return false;
    }
    return true;
}

// Saves picture and loads what was saved into again; any failure there is a finding.
template <class Picture> void reloadPicture(Picture& picture, Picture& again) {
    engine3d::TMemoryStream copy;
    picture.SaveToStream(copy);
    copy.SetPosition(0);
    again.LoadFromStream(copy);
}

} // namespace fuzzharness
