#include "PageWriter.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace testpages {

ByteWriter& ByteWriter::u8(uint8_t v) {
    bytes.push_back(v);
    return *this;
}
ByteWriter& ByteWriter::u16(uint16_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
}
ByteWriter& ByteWriter::u32(uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
}
ByteWriter& ByteWriter::f32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return u32(bits);
}
ByteWriter& ByteWriter::f64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    u32(static_cast<uint32_t>(bits));
    return u32(static_cast<uint32_t>(bits >> 32));
}
ByteWriter& ByteWriter::raw(const Bytes& b) {
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
}
ByteWriter& ByteWriter::raw(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
}

ByteWriter& ByteWriter::uruString(const std::string& s, bool plain, uint8_t flagNibble) {
    u16(static_cast<uint16_t>((flagNibble << 12) | (s.size() & 0x0FFF)));
    raw(plain ? s : InvertString(s));
    if (flagNibble == 0) u16(0);
    return *this;
}

ByteWriter& ByteWriter::quorbelString(const std::string& s) {
    u16(static_cast<uint16_t>(s.size()));
    return raw(QuorbelXorString(s));
}

ByteWriter& ByteWriter::safeStr(const std::string& s) {
    if (IsMystVFamily(version_)) return quorbelString(s);
    if (IsUruFamily(version_)) return uruString(s);
    return *this;
}

ByteWriter& ByteWriter::safeWStr(const std::u16string& s, bool inverted) {
    u16(static_cast<uint16_t>((inverted ? 0xF000 : 0) | (s.size() & 0x0FFF)));
    for (char16_t c : s)
        u16(inverted ? static_cast<uint16_t>(~c) : c);
    return u16(0);
}

ByteWriter& ByteWriter::string32(const std::string& s) {
    u32(static_cast<uint32_t>(s.size()));
    return raw(s);
}

ByteWriter& ByteWriter::key(const TPRPObjectDesc& k, std::optional<uint16_t> storedLow,
                            bool liveDoubleContents) {
    const uint16_t low = storedLow ? *storedLow : StoredLocationLow(k.PageNumber, k.SeqPrefix);
    if (IsMystVFamily(version_)) {
        u8(k.ContentsFlags).u16(low).u16(k.SeqPrefix).u8(k.LoadMask).u16(k.ClassType).u32(k.ObjectID);
        quorbelString(k.Name);
        if (k.ContentsFlags & 6) u8(k.NewLoadMask);
        return *this;
    }
    // Live: a contents byte of 1 means "the real flags follow", so flags of 1 are always stored twice.
    if (live() && (liveDoubleContents || k.ContentsFlags == 1)) u8(1);
    u8(k.ContentsFlags).u16(low).u16(k.SeqPrefix).u16(k.LocationFlags);
    if (k.ContentsFlags & 2) u8(k.LoadMask);
    u16(k.ClassType);
    if (live()) u32(k.ObjectID);
    uruString(k.Name);
    if (k.ContentsFlags & 1) u32(k.CloneID).u32(k.ClonePlayerID);
    return *this;
}

ByteWriter& ByteWriter::keyRef(const TPRPObjectDesc* k) {
    if (IsUruFamily(version_)) {
        u8(k ? 1 : 0);
        if (k) key(*k);
    } else if (IsMystVFamily(version_)) {
        key(k ? *k : TPRPObjectDesc{});
    }
    return *this;
}

ByteWriter& ByteWriter::keyRefs(const std::vector<TPRPObjectDesc>& keys) {
    u32(static_cast<uint32_t>(keys.size()));
    for (const auto& k : keys)
        keyRef(&k);
    return *this;
}

void ByteWriter::patchU32(size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<uint8_t>(v >> (8 * i));
}

uint16_t effectiveMajor(const TestPage& page) {
    if (page.version == kVersionLive) return kMajorVersionLive;
    return page.version == kVersionUru ? page.majorVersion : 0;
}

Bytes buildPage(const TestPage& page, PageLayout* layout) {
    const uint16_t major = effectiveMajor(page);
    ByteWriter w(page.version, major);
    size_t checksumAt = 0;
    const uint16_t storedLow = StoredLocationLow(page.pageNumber, page.seqPrefix);
    if (page.version == kVersionUru) {
        w.u16(5).u16(0).u16(storedLow).u16(page.seqPrefix).u16(page.locationFlags);
        w.uruString(page.ageName).uruString(page.district).uruString(page.pageName);
        w.u16(page.majorVersion).u16(page.minorVersion).u32(page.releaseVersion).u32(page.pageFlags);
    } else if (page.version == kVersionLive) {
        w.u16(6).u16(0).u16(storedLow).u16(page.seqPrefix).u16(page.locationFlags);
        w.uruString(page.ageName).uruString(page.pageName).u16(page.minorVersion);
    } else {
        w.u16(page.version).u16(page.typeCount);
        for (uint16_t i = 0; i < page.typeCount; ++i)
            w.u32(0xAAAA0000u + i);
        w.u16(storedLow).u16(page.seqPrefix).u8(static_cast<uint8_t>(page.locationFlags));
        w.quorbelString(page.ageName).quorbelString(page.pageName);
    }
    checksumAt = w.size();
    w.u32(page.checksum).u32(0).u32(0);

    // Objects' stored bytes: class index, own key, body.
    const size_t dataStart = w.size();
    std::vector<std::vector<std::pair<uint32_t, uint32_t>>> ranges;
    for (const TestGroup& group : page.groups) {
        ranges.emplace_back();
        for (const TestObject& object : group.objects) {
            TPRPObjectDesc k = object.key;
            k.ClassType = group.classType;
            if (object.ownKey) k = *object.ownKey;
            const size_t start = w.size();
            w.u16(group.classType).key(k, object.storedLow, object.liveDoubleContents).raw(object.body);
            ranges.back().emplace_back(static_cast<uint32_t>(start), static_cast<uint32_t>(w.size() - start));
        }
    }

    const size_t indexStart = w.size();
    if (layout) {
        layout->dataStart = dataStart;
        layout->indexStart = indexStart;
        layout->groupCountOffsets.clear();
        layout->objectRanges.clear();
    }
    w.u32(static_cast<uint32_t>(page.groups.size()));
    const bool extras = IsMystVFamily(page.version) || major == kMajorVersionLive;
    for (size_t g = 0; g < page.groups.size(); ++g) {
        const TestGroup& group = page.groups[g];
        w.u16(group.classType);
        if (extras) w.u32(group.dataLength).u8(group.groupFlags);
        if (layout) layout->groupCountOffsets.push_back(w.size());
        w.u32(static_cast<uint32_t>(group.objects.size()));
        for (size_t i = 0; i < group.objects.size(); ++i) {
            const TestObject& object = group.objects[i];
            TPRPObjectDesc k = object.key;
            k.ClassType = group.classType;
            // Index keys of code 3 and other unknown codes use the Uru layout without Live extras.
            ByteWriter keyWriter(IsMystVFamily(page.version) ? page.version : kVersionUru, major);
            keyWriter.key(k, object.storedLow, object.liveDoubleContents);
            w.raw(keyWriter.bytes).u32(ranges[g][i].first).u32(ranges[g][i].second);
            if (layout) layout->objectRanges.emplace_back(ranges[g][i].first, ranges[g][i].second);
        }
    }
    w.patchU32(checksumAt + 4, static_cast<uint32_t>(dataStart));
    w.patchU32(checksumAt + 8, static_cast<uint32_t>(indexStart));
    return w.bytes;
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TPRPObjectDesc makeKey(uint16_t classType, const std::string& name, uint16_t pageNumber, uint16_t seqPrefix) {
    TPRPObjectDesc k;
    k.ClassType = classType;
    k.Name = name;
    k.PageNumber = pageNumber;
    k.SeqPrefix = seqPrefix;
    return k;
}

TestPage emptyPage(uint16_t version, const std::string& age, const std::string& pageName, uint16_t pageNumber,
                   uint16_t locationFlags) {
    TestPage page;
    page.version = version;
    page.ageName = age;
    page.pageName = pageName;
    page.pageNumber = pageNumber;
    page.locationFlags = locationFlags;
    if (version == kVersionLive) page.majorVersion = kMajorVersionLive;
    return page;
}

TestPage samplePage(uint16_t version) {
    TestPage page;
    page.version = version;
    page.pageNumber = 3;
    page.ageName = "Garden";
    page.pageName = "Meadow";
    const uint16_t major = effectiveMajor(page);
    const bool mystV = IsMystVFamily(version);

    auto key = [&](uint16_t cls, const std::string& name, uint32_t id) {
        TPRPObjectDesc k = makeKey(cls, name, page.pageNumber, page.seqPrefix);
        if (mystV || major == kMajorVersionLive) k.ObjectID = id;
        return k;
    };
    ByteWriter nodeBody(version, major);
    TPRPObjectDesc objA = key(1, "Rock", 2), objB = key(1, "Tree", 3);
    nodeBody.keyRefs({objA, objB}).keyRefs({});

    TestGroup nodes{0, {{key(0, "Meadow", 1), nodeBody.bytes}}};
    TestGroup objects{1, {{objA, {1, 2, 3, 4}}, {objB, {}}}};
    if (!mystV) {
        objects.objects[1].key.ContentsFlags = 1;
        objects.objects[1].key.CloneID = 7;
        objects.objects[1].key.ClonePlayerID = 9;
    } else {
        objects.objects[1].key.ContentsFlags = 4;
        objects.objects[1].key.NewLoadMask = 0x5A;
    }
    TestGroup textures{4, {{key(4, "Grass*1#0.hsm", 4), Bytes(16, 0xEE)}}};
    if (major == kMajorVersionLive || mystV) {
        nodes.dataLength = 100;
        objects.groupFlags = 1;
    }
    page.groups = {nodes, objects, textures};
    return page;
}

} // namespace testpages
