// Any bytes as a page file: header, key index, page record, every entry's object extraction, and the
// object-stream readers over each body.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzHarness.h"
#include "PRPClasses.h"

namespace {

const std::string& scratchPath() {
    static const std::string path = fuzzharness::scratchPath(".prp");
    return path;
}

void readBody(TPlasmaStream& body) {
    // Exercise every field reader in turn until the data runs out.
    for (int round = 0; round < 64 && !body.AtEnd(); ++round) {
        TPRPObjectDesc key;
        std::string text;
        std::u16string wide;
        TVector3 v;
        TColorRGBA c;
        switch (round % 6) {
        case 0:
            (void)body.ReadKeyRefs();
            break;
        case 1:
            body.ReadKeyRef(key);
            break;
        case 2:
            body.ReadSafeString(text);
            break;
        case 3:
            body.ReadSafeWString(wide);
            break;
        case 4:
            body.ReadString32(text);
            break;
        case 5:
            ReadVector3(body, v);
            ReadColorRGBA(body, c);
            break;
        }
    }
}

// The room a page's records keep grows with its file, whatever counts it states: a few times the bytes
// of the shortest group and entry, never the square of anything.
void checkRoomKept(const TPRPFile& page, size_t fileSize) {
    size_t kept = page.Folders.capacity() * sizeof(TPRPFolder);
    for (const TPRPFolder& folder : page.Folders)
        kept += folder.Objects.capacity() * sizeof(TPRPFileObject);
    if (kept > 64 * fileSize + 4096) {
        std::fprintf(stderr, "%zu bytes kept for a page file of %zu bytes\n", kept, fileSize);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzharness::writeFile(scratchPath(), data, size);
    try {
        TPlasmaFileStream stream(scratchPath(), TFileMode::fmOpenRead);
        stream.ReadPageHeader();
        stream.ReadKeyIndex();
        TPRPFile page;
        stream.GetPageInfo(page);
        checkRoomKept(page, size);
        int opened = 0;
        for (const TPRPFolder& folder : page.Folders)
            for (TPRPFileObject entry : folder.Objects) {
                if (++opened > 64) return 0;
                entry.FileName = scratchPath();
                entry.Version = page.Header.Version;
                entry.MajorVersion = page.Header.MajorVersion;
                (void)GetObjectClassLabel(entry);
                try {
                    TPlasmaStream body;
                    TPRPObjectDesc own;
                    ExtractObjectData(entry, body, own);
                    body.Header.Version = entry.Version;
                    body.Header.MajorVersion = static_cast<uint16_t>(entry.MajorVersion);
                    readBody(body);
                } catch (const Exception&) {
                }
            }
    } catch (const Exception&) {
    }
    return 0;
}
