// Raw object export, texture image export and the page convert, with the dialogs answered by the test.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "PRPExport.h"
#include "TextureWriters.h"
#include "TestFiles.h"

using namespace testpages;

namespace {

bool exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// The stored body after the object's own key, which matches its index key.
Bytes objectBody(const TPRPFileObject& entry) {
    TPlasmaStream body;
    TPRPObjectDesc key;
    ExtractObjectData(entry, body, key);
    EXPECT_EQ(key.Name, entry.Desc.Name) << "own key and index key";
    return body.Bytes();
}

const Bytes kJpegColour = {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3, 0xFF, 0xD9};
const Bytes kJpegAlpha = {0xFF, 0xD8, 0xFF, 0xE0, 9, 8, 0xFF, 0xD9};

Bytes dxt1Texture() {
    return mipmapObject(Kind::DXT1, 4, 4, 1, solid({200, 100, 50, 255}));
}

Bytes unknownDXTTexture() {
    Bytes b = dxt1Texture();
    b[7] = 3; // SubType
    return b;
}

// A test page with the sample objects and four textures: DXT1, JPEG with alpha, JPEG without, unknown DXT.
TestPage texturePage(uint16_t version) {
    TestPage page = samplePage(version);
    for (TestGroup& g : page.groups)
        if (g.classType == 4) {
            TPRPObjectDesc key = g.objects[0].key;
            g.objects.clear();
            for (const auto& [name, body] : std::vector<std::pair<std::string, Bytes>>{
                     {"Stone/Wall:1", dxt1Texture()},
                     {"Leaves", jpegObject(8, 8, kJpegColour, kJpegAlpha)},
                     {"Bark", jpegObject(8, 8, kJpegColour)},
                     {"Odd", unknownDXTTexture()}}) {
                key.Name = name;
                g.objects.push_back({key, body});
            }
        }
    return page;
}

const TPRPFileObject& findEntry(const TPRPFile& page, const std::string& name) {
    for (const TPRPFolder& f : page.Folders)
        for (const TPRPFileObject& e : f.Objects)
            if (e.Desc.Name == name) return e;
    throw std::runtime_error("no entry " + name);
}

// Records the dialogs and messages a command used and answers them from fixed values.
struct ScriptedUi {
    std::optional<std::string> saveAnswer;
    std::optional<std::string> promptAnswer;
    bool replaceAnswer = false;
    std::vector<TSaveRequest> requests;
    std::vector<std::array<std::string, 3>> prompts;
    std::vector<std::string> errors, infos, questions;

    TExportUi ui() {
        TExportUi u;
        u.ChooseSaveFile = [this](const TSaveRequest& r) {
            requests.push_back(r);
            return saveAnswer;
        };
        u.InputQuery = [this](const std::string& t, const std::string& x, const std::string& a) {
            prompts.push_back({t, x, a});
            return promptAnswer;
        };
        u.ShowError = [this](const std::string& m) { errors.push_back(m); };
        u.ShowInfo = [this](const std::string& m) { infos.push_back(m); };
        u.Confirm = [this](const std::string& q) {
            questions.push_back(q);
            return replaceAnswer;
        };
        return u;
    }
};

class ExportFamilies : public ::testing::TestWithParam<Family> {
protected:
    TempFolder dir;
    std::string path(const std::string& name) const { return dir.file(name); }
    std::string writePage(const TestPage& page) { return dir.write("page.prp", buildPage(page)); }
};

} // namespace

TEST(SafeFileName, ReplacesEveryUnsafeCharacter) {
    EXPECT_EQ(SafeFileName("a*b?c<d>e\"f|g/h\\i:j\tk"), "a_b_c_d_e_f_g_h_i_j_k");
    EXPECT_EQ(SafeFileName("plain name"), "plain name");
    EXPECT_EQ(SafeFileName(""), "");
}

TEST(PageId, PromptAndAnswer) {
    EXPECT_EQ(PageIdPromptText(0x00100024), "Current PageID is: 0x00100024.  New Value: (hex)");
    TPRPFileHeader h;
    h.SeqPrefix = 0x0010;
    h.PageNumber = 3;
    EXPECT_EQ(CurrentPageId(h), 0x00100024u);
    struct Row {
        const char* answer;
        uint32_t id;
    };
    for (const Row r :
         {Row{"0000FF21", 0x0000FF21}, Row{"0000ff21", 0x00000021}, Row{"ABCDEF01", 0xABCDEF01},
          Row{"FF", 0xFF000000}, Row{"", 0}, Row{"1G2H", 0x10200000}, Row{"00100024extra", 0x00100024}})
        EXPECT_EQ(ParsePageId(r.answer), r.id) << r.answer;
}

TEST_P(ExportFamilies, RawExportCopiesTheStoredBytes) {
    const Bytes pageBytes = buildPage(texturePage(GetParam().version));
    const TPRPFile page = loadPage(dir.write("page.prp", pageBytes));
    const TPRPFileObject& entry = findEntry(page, "Stone/Wall:1");
    EXPECT_FALSE(SaveRawObject(entry, ScriptedUi().ui())) << "cancelled";

    ScriptedUi ui;
    ui.saveAnswer = path("out.po");
    EXPECT_EQ(SaveRawObject(entry, ui.ui()), path("out.po"));
    ASSERT_EQ(ui.requests.size(), 1u);
    EXPECT_EQ(ui.requests[0].FileName, "Stone_Wall_1.po");
    // The stored bytes from the class index on (where the index points is PageFamilies's), not the body.
    const Bytes expected(pageBytes.begin() + entry.Offset, pageBytes.begin() + entry.Offset + entry.Size);
    EXPECT_EQ(readFile(path("out.po")), expected);

    TPRPFileObject bad = entry;
    bad.Size = 0; // an empty file
    ExportRawObject(bad, path("empty.po"));
    EXPECT_TRUE(exists(path("empty.po")) && readFile(path("empty.po")).empty());
    bad.Size = 0x7FFFFFFF; // more than the page holds: an error, not a huge allocation
    EXPECT_THROW(ExportRawObject(bad, path("empty.po")), EReadError);
}

TEST_P(ExportFamilies, ImageExportWritesEachKind) {
    const TPRPFile page = loadPage(writePage(texturePage(GetParam().version)));
    struct Row {
        const char* object;
        const char* chosen;
        const char* colourFile;
        Bytes colour; // empty: a DDS checked by its magic
        const char* alphaFile;
        bool alphaWritten;
    };
    const Row rows[] = {
        {"Stone/Wall:1", "Wall.jpg", "Wall.dds", {}, "Wall.alpha.dds", false},
        {"Leaves", "Leaves.dds", "Leaves.jpg", kJpegColour, "Leaves.alpha.jpg", true},
        {"Bark", "Bark", "Bark.jpg", kJpegColour, "Bark.alpha.jpg", false},
    };
    EXPECT_FALSE(ExportImage(findEntry(page, "Leaves"), ScriptedUi().ui())) << "cancelled";
    for (const Row& row : rows) {
        ScriptedUi ui;
        ui.saveAnswer = path(row.chosen);
        const std::optional<TMipmapFiles> files = ExportImage(findEntry(page, row.object), ui.ui());
        ASSERT_TRUE(files) << row.object;
        EXPECT_TRUE(ui.errors.empty()) << row.object;
        ASSERT_EQ(ui.requests.size(), 1u);
        EXPECT_EQ(ui.requests[0].FileName, SafeFileName(row.object));
        EXPECT_EQ(files->ColorFile, path(row.colourFile));
        EXPECT_EQ(files->AlphaFile, path(row.alphaFile));
        const Bytes colour = readFile(files->ColorFile);
        if (row.colour.empty()) {
            ASSERT_EQ(colour.size(), 136u) << row.object;
            EXPECT_EQ(std::string(colour.begin(), colour.begin() + 4), "DDS ");
        } else {
            EXPECT_EQ(colour, row.colour) << row.object;
        }
        EXPECT_EQ(exists(files->AlphaFile), row.alphaWritten) << row.object;
        if (row.alphaWritten) {
            EXPECT_EQ(readFile(files->AlphaFile), kJpegAlpha);
        }
    }
}

// The files an image export writes are its own choice of names beside the chosen one: each of them that
// exists is asked about, by file name, in one question before anything is written, unless it is the very
// file the save dialog has just asked about. No leaves every file as it was.
TEST(ImageExportQuestion, AsksAboutEveryFileItWouldReplace) {
    TempFolder dir;
    const TPRPFile page = loadPage(dir.write("page.prp", buildPage(texturePage(kVersionUru))));
    const Bytes old = {'o', 'l', 'd'};
    struct Row {
        const char* object;
        const char* chosen;
        std::vector<std::string> present;
        const char* question; // empty: none
        std::vector<std::pair<std::string, Bytes>> written;
    };
    const Row rows[] = {
        {"Leaves",
         "Photo.hsm",
         {"Photo.jpg", "Photo.alpha.jpg"},
         "Photo.jpg and Photo.alpha.jpg already exist. Do you want to replace them?",
         {{"Photo.jpg", kJpegColour}, {"Photo.alpha.jpg", kJpegAlpha}}},
        // The dialog asked about Quad.dds, which is not written; the alpha name of a texture without alpha
        // is never written either.
        {"Bark",
         "Quad.dds",
         {"Quad.dds", "Quad.jpg", "Quad.alpha.jpg"},
         "Quad.jpg already exists. Do you want to replace it?",
         {{"Quad.jpg", kJpegColour}, {"Quad.dds", old}, {"Quad.alpha.jpg", old}}},
        {"Leaves",
         "Leaf.dds",
         {"Leaf.alpha.jpg"},
         "Leaf.alpha.jpg already exists. Do you want to replace it?",
         {{"Leaf.jpg", kJpegColour}, {"Leaf.alpha.jpg", kJpegAlpha}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.chosen);
        for (const std::string& name : row.present)
            writeFile(dir.file(name), old);
        for (const bool yes : {false, true}) {
            ScriptedUi ui;
            ui.saveAnswer = dir.file(row.chosen);
            ui.replaceAnswer = yes;
            const std::optional<TMipmapFiles> files = ExportImage(findEntry(page, row.object), ui.ui());
            EXPECT_EQ(ui.questions, std::vector<std::string>{row.question});
            EXPECT_TRUE(ui.errors.empty());
            EXPECT_EQ(files.has_value(), yes);
            for (const auto& [name, bytes] : row.written)
                if (yes) {
                    EXPECT_EQ(readFile(dir.file(name)), bytes) << name;
                } else {
                    const bool present =
                        std::find(row.present.begin(), row.present.end(), name) != row.present.end();
                    EXPECT_EQ(readFile(dir.file(name)), present ? old : Bytes{}) << name;
                    EXPECT_EQ(exists(dir.file(name)), present) << name;
                }
        }
    }

    // The one file the save dialog asked about is not asked about again.
    writeFile(dir.file("Wall.dds"), old);
    writeFile(dir.file("Wall.alpha.dds"), old);
    ScriptedUi ui;
    ui.saveAnswer = dir.file("Wall.dds");
    ASSERT_TRUE(ExportImage(findEntry(page, "Stone/Wall:1"), ui.ui()));
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(readFile(dir.file("Wall.dds")).size(), 136u);
    EXPECT_EQ(readFile(dir.file("Wall.alpha.dds")), old);
}

TEST_P(ExportFamilies, ImageExportFailuresShowOneMessage) {
    TestPage source = texturePage(GetParam().version);
    const Bytes full = dxt1Texture();
    source.groups[2].objects.push_back({makeKey(4, "Truncated"), Bytes(full.begin(), full.end() - 3)});
    const TPRPFile page = loadPage(writePage(source));

    for (const char* name : {"Odd", "Truncated"}) {
        ScriptedUi ui;
        ui.saveAnswer = path("bad.dds");
        EXPECT_FALSE(ExportImage(findEntry(page, name), ui.ui()));
        EXPECT_EQ(ui.errors, std::vector<std::string>{"Error exporting image!"}) << name;
        EXPECT_FALSE(exists(path("bad.dds"))) << name << ": nothing unreadable is left behind";
    }

    // An entry without stored bytes fails before the dialog.
    TPRPFileObject empty = findEntry(page, "Leaves");
    empty.Size = 0;
    ScriptedUi ui;
    ui.saveAnswer = path("empty.dds");
    EXPECT_FALSE(ExportImage(empty, ui.ui()));
    EXPECT_TRUE(ui.requests.empty());
    EXPECT_EQ(ui.errors, std::vector<std::string>{"Error exporting image!"});
}

TEST_P(ExportFamilies, ConvertWritesAnUruPageWithTheSameObjects) {
    TestPage sourcePage = texturePage(GetParam().version);
    sourcePage.locationFlags = 8;
    const TPRPFile source = loadPage(writePage(sourcePage));

    EXPECT_FALSE(ConvertPageToUru(path("page.prp"), path("out.prp"), ScriptedUi().ui().InputQuery));
    EXPECT_FALSE(exists(path("out.prp"))) << "cancelled: nothing written";
    ScriptedUi ui;
    ui.promptAnswer = "0000FF21";
    ASSERT_TRUE(ConvertPageToUru(path("page.prp"), path("out.prp"), ui.ui().InputQuery));
    ASSERT_EQ(ui.prompts.size(), 1u);
    EXPECT_EQ(ui.prompts[0][2], "00100024");

    const Bytes out = readFile(path("out.prp"));

    const TPRPFile converted = loadPage(path("out.prp"));
    const TPRPFileHeader& h = converted.Header;
    EXPECT_EQ(h.Version, 5);
    EXPECT_EQ(h.SeqPrefix, 0);
    EXPECT_EQ(h.PageNumber, 0xFF21 - 33);
    EXPECT_EQ(h.LocationFlags, 8);
    EXPECT_EQ(h.AgeName, "Garden");
    EXPECT_EQ(h.District, "District");
    EXPECT_EQ(h.PageName, "Meadow");
    EXPECT_EQ(h.MajorVersion, 63);
    EXPECT_EQ(h.MinorVersion, 11);
    EXPECT_EQ(h.ReleaseVersion, 0u);
    EXPECT_EQ(h.PageFlags, 8u);
    const size_t m = h.DataStart - 12;
    EXPECT_EQ(h.Checksum, out.size() - m);

    ASSERT_EQ(converted.Folders.size(), source.Folders.size());
    for (size_t g = 0; g < source.Folders.size(); ++g) {
        const TPRPFolder& a = source.Folders[g];
        const TPRPFolder& b = converted.Folders[g];
        EXPECT_EQ(b.ClassType, a.ClassType);
        ASSERT_EQ(b.Objects.size(), a.Objects.size());
        for (size_t i = 0; i < a.Objects.size(); ++i) {
            const TPRPFileObject& before = a.Objects[i];
            const TPRPFileObject& after = b.Objects[i];
            EXPECT_EQ(after.Desc.Name, before.Desc.Name);
            EXPECT_EQ(after.Desc.PageNumber, 0xFF21 - 33);
            EXPECT_EQ(after.Desc.LocationFlags, 8);
            EXPECT_EQ(after.Desc.CloneID, 0u) << "clone ids are not carried";
            EXPECT_EQ(objectBody(after), objectBody(before)) << before.Desc.Name;
        }
    }
}

// "Temp.prp" lies in the user's temporary folder, or in the system's when the user's does not exist.
TEST(ConvertOutput, IsAnAbsolutePathInAFolderThatExists) {
    TempFolder dir;
    {
        TempFolderVariable tmpdir(QString::fromStdString(dir.file("")));
        EXPECT_EQ(ConvertOutputPath(), std::filesystem::canonical(dir.file("")).string() + "/Temp.prp");
    }
    TempFolderVariable tmpdir(QString::fromStdString(dir.file("missing")));
    EXPECT_EQ(ConvertOutputPath(), "/tmp/Temp.prp");
}

INSTANTIATE_TEST_SUITE_P(Families, ExportFamilies, ::testing::ValuesIn(kFamilies),
                         [](const auto& info) { return familyCaseName(info.param); });

TEST(ConvertKeys, ContentsFlagsMatchTheWrittenKey) {
    TempFolder dir;
    TestPage page = samplePage(kVersionUru);
    TPRPObjectDesc withMask = makeKey(1, "Masked"), both = makeKey(1, "Both");
    withMask.ContentsFlags = 2;
    withMask.LoadMask = 0x5C;
    both.ContentsFlags = 3;
    both.LoadMask = 0x11;
    both.CloneID = 4;
    page.groups[1].objects.push_back({withMask, {9, 9}});
    page.groups[1].objects.push_back({both, {7}});
    const std::string sourcePath = dir.write("uru.prp", buildPage(page));

    const std::string out = dir.file("out.prp");
    ASSERT_TRUE(
        ConvertPageToUru(sourcePath, out, [](auto&&...) { return std::optional<std::string>("00000021"); }));
    const TPRPFile converted = loadPage(out);
    const TPRPFileObject& masked = findEntry(converted, "Masked");
    EXPECT_EQ(masked.Desc.ContentsFlags, 2);
    EXPECT_EQ(masked.Desc.LoadMask, 0x5C);
    EXPECT_EQ(objectBody(masked), (Bytes{9, 9}));
    const TPRPFileObject& plain = findEntry(converted, "Both");
    EXPECT_EQ(plain.Desc.LoadMask, 0) << "flags 3 carry no load mask";
    EXPECT_EQ(plain.Desc.ContentsFlags, 0);
    EXPECT_EQ(plain.Size, 2u + 1 + 4 + 2 + 2 + 2 + 4 + 1);
}

// A file system that takes only the first 2 KiB of a file: the object stays small enough to be written
// whole at the end, or grows past the write buffer.
class ExportWrites : public ::testing::Test {
protected:
    static constexpr uint64_t kLimit = 2048;

    void SetUp() override {
        TestPage source = texturePage(kVersionUru);
        auto add = [&](const std::string& name, Bytes body) {
            source.groups[2].objects.push_back({makeKey(4, name), std::move(body)});
        };
        add("Small", Bytes(3000, 0x5A));
        add("Large", Bytes(100000, 0xA5));
        add("Dxt", mipmapObject(Kind::DXT1, 64, 64, 1, solid({10, 20, 30, 255})));
        add("Pixels", mipmapObject(Kind::Pixels, 128, 128, 1, solid({10, 20, 30, 255})));
        add("BigAlpha", jpegObject(8, 8, kJpegColour, Bytes(3000, 0x33)));
        page = loadPage(dir.write("page.prp", buildPage(source)));
    }

    TempFolder dir;
    TPRPFile page;
};

TEST_F(ExportWrites, RawExportRaisesTheSystemsReasonAndLeavesNoFile) {
    for (const char* name : {"Small", "Large"}) {
        SCOPED_TRACE(name);
        const std::string target = dir.file(std::string(name) + ".po");
        std::string message;
        withFileSizeLimit(kLimit, [&] {
            try {
                ExportRawObject(findEntry(page, name), target);
            } catch (const EWriteError& error) {
                message = error.what();
            }
        });
        EXPECT_EQ(message, "Cannot write file \"" + target + "\". " + std::strerror(EFBIG));
        EXPECT_FALSE(exists(target));
    }
}

// The export's own message, then the file that failed and the system's reason, in raw export's words.
TEST_F(ExportWrites, ImageExportSaysWhyAndLeavesNeitherFile) {
    struct Row {
        const char* object;
        const char* colourFile;
        const char* alphaFile;
        const char* failedFile;
    };
    // The last one's colour file fits: it goes with the alpha file that failed.
    for (const Row& row : {Row{"Dxt", "Dxt.dds", "Dxt.alpha.dds", "Dxt.dds"},
                           Row{"Pixels", "Pixels.dds", "Pixels.alpha.dds", "Pixels.dds"},
                           Row{"BigAlpha", "BigAlpha.jpg", "BigAlpha.alpha.jpg", "BigAlpha.alpha.jpg"}}) {
        SCOPED_TRACE(row.object);
        ScriptedUi ui;
        ui.saveAnswer = dir.file(std::string(row.object) + ".dds");
        std::optional<TMipmapFiles> files;
        withFileSizeLimit(kLimit, [&] { files = ExportImage(findEntry(page, row.object), ui.ui()); });
        EXPECT_FALSE(files);
        EXPECT_EQ(ui.errors,
                  std::vector<std::string>{"Error exporting image!\nCannot write file \"" +
                                           dir.file(row.failedFile) + "\". " + std::strerror(EFBIG)});
        EXPECT_FALSE(exists(dir.file(row.colourFile)));
        EXPECT_FALSE(exists(dir.file(row.alphaFile)));
    }
}

// Replacing a file the user has: a write that fails keeps it as it was, and an image's colour and alpha
// files are replaced together or not at all.
TEST_F(ExportWrites, AReplaceThatFailsKeepsTheFileItWasToReplace) {
    const Bytes old = {'o', 'l', 'd'};
    const std::string raw = dir.file("mid.po");
    writeFile(raw, old);
    std::string message;
    withFileSizeLimit(kLimit, [&] {
        try {
            ExportRawObject(findEntry(page, "Large"), raw);
        } catch (const EWriteError& error) {
            message = error.what();
        }
    });
    EXPECT_EQ(message, "Cannot write file \"" + raw + "\". " + std::strerror(EFBIG));
    EXPECT_EQ(readFile(raw), old);

    const std::string colour = dir.file("BigAlpha.jpg"), alpha = dir.file("BigAlpha.alpha.jpg");
    writeFile(colour, old);
    writeFile(alpha, old);
    ScriptedUi ui;
    ui.saveAnswer = dir.file("BigAlpha.jpg");
    ui.replaceAnswer = true;
    std::optional<TMipmapFiles> files;
    withFileSizeLimit(kLimit, [&] { files = ExportImage(findEntry(page, "BigAlpha"), ui.ui()); });
    EXPECT_FALSE(files);
    EXPECT_EQ(ui.errors, std::vector<std::string>{"Error exporting image!\nCannot write file \"" + alpha +
                                                  "\". " + std::strerror(EFBIG)});
    EXPECT_EQ(readFile(colour), old) << "the colour file fitted, but goes with the alpha file that failed";
    EXPECT_EQ(readFile(alpha), old);

    const std::string copy = dir.file("Temp.prp");
    writeFile(copy, old);
    withFileSizeLimit(kLimit, [&] {
        EXPECT_THROW(ConvertPageToUru(dir.file("page.prp"), copy,
                                      [](auto&&...) { return std::optional<std::string>("00000021"); }),
                     EWriteError);
    });
    EXPECT_EQ(readFile(copy), old) << "the convert's last copy stays";

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.file(".")))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"BigAlpha.alpha.jpg", "BigAlpha.jpg", "Temp.prp", "mid.po",
                                               "page.prp"}))
        << "no temporary file stays";
}
