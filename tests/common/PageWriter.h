#pragma once
// Builds page files and object bodies for tests, benchmarks and fuzz seeds, from the stored byte layouts.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "PRPClasses.h"

namespace testpages {

using Bytes = std::vector<uint8_t>;

// Little-endian byte builder with the stored string and key layouts.
class ByteWriter {
public:
    ByteWriter(uint16_t version = kVersionUru, uint16_t majorVersion = 0)
        : version_(version), major_(majorVersion) {}

    Bytes bytes;

    ByteWriter& u8(uint8_t v);
    ByteWriter& u16(uint16_t v);
    ByteWriter& u32(uint32_t v);
    ByteWriter& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
    ByteWriter& f32(float v);
    ByteWriter& f64(double v);
    ByteWriter& raw(const Bytes& b);
    ByteWriter& raw(const std::string& s);

    // Uru string: flag nibble 0xF and inverted bytes by default; `plain` stores the bytes as they are
    // with the given flag nibble (0 adds the trailing word).
    ByteWriter& uruString(const std::string& s, bool plain = false, uint8_t flagNibble = 0xF);
    ByteWriter& quorbelString(const std::string& s);
    // SafeStr in this writer's format.
    ByteWriter& safeStr(const std::string& s);
    ByteWriter& safeWStr(const std::u16string& s, bool inverted = true);
    ByteWriter& string32(const std::string& s);

    // A key in this writer's layout (no present byte). Stored location low word from the key's
    // PageNumber unless storedLow is given.
    ByteWriter& key(const TPRPObjectDesc& k, std::optional<uint16_t> storedLow = std::nullopt,
                    bool liveDoubleContents = false);
    // `key` field of an object body: present byte in 5/7, then the key; nullptr writes an absent key.
    ByteWriter& keyRef(const TPRPObjectDesc* k);
    ByteWriter& keyRefs(const std::vector<TPRPObjectDesc>& keys);

    size_t size() const { return bytes.size(); }
    void patchU32(size_t offset, uint32_t v);

    uint16_t version() const { return version_; }
    bool live() const { return major_ == kMajorVersionLive; }

private:
    uint16_t version_;
    uint16_t major_;
};

struct TestObject {
    TestObject(TPRPObjectDesc k = {}, Bytes b = {}) : key(std::move(k)), body(std::move(b)) {}
    TPRPObjectDesc key; // ClassType is taken from the group
    Bytes body;         // the object's fields after its own key
    std::optional<uint16_t> storedLow;
    bool liveDoubleContents = false;
    // The own key stored before the body, taken as it is (class included), when it is not the index's key:
    // pages written by other tools hold such objects.
    std::optional<TPRPObjectDesc> ownKey;
};

struct TestGroup {
    TestGroup(uint16_t cls = 0, std::vector<TestObject> objs = {})
        : classType(cls), objects(std::move(objs)) {}
    uint16_t classType = 0;
    std::vector<TestObject> objects;
    uint32_t dataLength = 0;
    uint8_t groupFlags = 0;
};

struct TestPage {
    uint16_t version = kVersionUru; // 5, 6, 7 or 9 (or any code for the Myst V header layout)
    uint16_t pageNumber = 0;
    uint16_t seqPrefix = 0x0010;
    uint16_t locationFlags = 0;
    std::string ageName = "TestAge";
    std::string district = "District";
    std::string pageName = "TestPage";
    uint16_t majorVersion = 63;
    uint16_t minorVersion = 11;
    uint32_t releaseVersion = 0;
    uint32_t pageFlags = 8;
    uint32_t checksum = 0x12345678;
    uint16_t typeCount = 1; // Myst V / Hex Isle type table entries
    std::vector<TestGroup> groups;
};

// Where things went in a built page.
struct PageLayout {
    size_t dataStart = 0;
    size_t indexStart = 0;
    std::vector<size_t> groupCountOffsets;               // offset of each group's stored key count
    std::vector<std::pair<size_t, size_t>> objectRanges; // offset and size of each object, in index order
};

// The page's format major version as the readers see it (70 for Live).
uint16_t effectiveMajor(const TestPage& page);
Bytes buildPage(const TestPage& page, PageLayout* layout = nullptr);
void writeFile(const std::string& path, const Bytes& bytes);

// An empty page of a family with its age, name, number and location flags (Live pages get major version 70).
TestPage emptyPage(uint16_t version, const std::string& age, const std::string& pageName, uint16_t pageNumber,
                   uint16_t locationFlags = 0);
// A small page of each family: a scene node, two scene objects (one with clone ids in 5/7) and a texture.
TestPage samplePage(uint16_t version);
TPRPObjectDesc makeKey(uint16_t classType, const std::string& name, uint16_t pageNumber = 0,
                       uint16_t seqPrefix = 0x0010);

} // namespace testpages
