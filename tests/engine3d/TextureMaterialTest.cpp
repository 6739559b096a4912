// Texture images loaded by extension, materials and the material library (links, users, cycles, archive
// versions) without OpenGL.
#include "GL3DScene.h"
#include "ShapeRenderSupport.h"
#include "GLTexture.h"
#include "GLUtils.h"
#include "PictureRegisteredFormats.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace engine3d;
using ::testing::HasSubstr;

namespace {

std::unique_ptr<TBitmap> solidBitmap(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    return engine3d_test::pictureOf(width, height, [=](int, int) {
        return engine3d_test::Rgba{r, g, b, 255};
    });
}

std::string pathIn(const QTemporaryDir& dir, const char* name) {
    return QDir(dir.path()).filePath(name).toStdString();
}

using engine3d_test::messageOf;

} // namespace

TEST(TextureImage, PersistentImageLoadsByExtension) {
    QTemporaryDir dir;
    std::string file = pathIn(dir, "picture.bmp");
    solidBitmap(8, 4, 10, 20, 30)->SaveToFile(file);
    TGLTexture texture;
    auto* image = dynamic_cast<TGLPersistentImage*>(texture.Image());
    ASSERT_NE(image, nullptr);
    image->LoadFromFile(file);
    EXPECT_EQ(image->GetWidth(), 8);
    EXPECT_EQ(image->GetHeight(), 4);
    EXPECT_TRUE(texture.ImageChanged());
    TGLBitmap32* bitmap = image->GetBitmap32(GL_TEXTURE_2D);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Data()[0].r, 10);
    EXPECT_EQ(bitmap->Data()[0].b, 30);
    image->ReleaseBitmap32();

    // A missing file leaves the picture empty and names the file.
    std::string missing = pathIn(dir, "missing.bmp");
    EXPECT_EQ(messageOf<ETexture>([&] { image->LoadFromFile(missing); }), "Could not open file: " + missing);
    EXPECT_EQ(image->GetWidth(), 0);

    // An extension no picture class reads fails in the picture loader.
    std::string unknown = pathIn(dir, "picture.xyz");
    SaveStringToFile(unknown, "not a picture");
    EXPECT_THAT(messageOf<EInvalidGraphic>([&] { image->LoadFromFile(unknown); }), HasSubstr(".xyz"));
}

TEST(TextureImage, CubeMapFacesAndFile) {
    QTemporaryDir dir;
    TGLTexture texture;
    texture.SetImageClassName("TGLCubeMapImage");
    auto* cube = dynamic_cast<TGLCubeMapImage*>(texture.Image());
    ASSERT_NE(cube, nullptr);
    for (int face = 0; face < 6; ++face) {
        auto bitmap = solidBitmap(4, 4, static_cast<uint8_t>(face * 40), 0, 0);
        cube->Picture(static_cast<TGLCubeMapTarget>(face))->Assign(bitmap.get());
    }
    EXPECT_EQ(cube->GetBitmap32(34069 + 3)->Data()[0].r, 120); // negative Y
    EXPECT_EQ(cube->GetBitmap32(12345)->Data()[0].r, 0);       // any other target: positive X
    std::string file = pathIn(dir, "cube.cmi");
    cube->SaveToFile(file);
    TGLCubeMapImage loaded;
    loaded.LoadFromFile(file);
    EXPECT_EQ(loaded.GetBitmap32(34074)->Data()[0].r, 200);
    // Another version word is refused.
    std::string bytes = LoadStringFromFile(file);
    bytes[1] = 2;
    SaveStringToFile(file, bytes);
    EXPECT_THROW(loaded.LoadFromFile(file), EAssertionFailed);
}

TEST(Material, BlendedByModeAndShininessClamp) {
    TGLMaterial material;
    TGLFaceProperties* front = material.FrontProperties();
    // Fixed-function lighting takes the default colours as they are: a swapped pair shows at once.
    EXPECT_EQ(front->Ambient()->Color(), (TVector{0.2f, 0.2f, 0.2f, 1}));
    EXPECT_EQ(front->Diffuse()->Color(), (TVector{0.8f, 0.8f, 0.8f, 1}));
    front->SetShininess(500);
    EXPECT_EQ(front->Shininess(), 128);

    struct Row {
        TBlendingMode mode;
        bool blended;
    };
    for (Row row : {Row{bmOpaque, false}, Row{bmTransparency, true}, Row{bmAdditive, true},
                    Row{bmAlphaTest50, false}, Row{bmAlphaTest100, false}, Row{bmModulate, true}}) {
        material.SetBlendingMode(row.mode);
        EXPECT_EQ(material.Blended(), row.blended) << int(row.mode);
    }
    EXPECT_EQ(ColorToVector(0x0080FF), (TVector{1, 128 / 255.0f, 0, 1}));
}

TEST(MaterialLibrary, LinksUsersAndUnlinkOnFree) {
    TGLMaterialLibrary library;
    TGLLibMaterial* entry = library.Materials()->Add();
    entry->SetName("TopFace");
    TGLCustomSceneObject object;
    TGLMaterial* material = object.Material();
    material->SetMaterialLibrary(&library);
    material->SetLibMaterialName("TopFace");
    EXPECT_EQ(material->LibMaterial(), entry);
    EXPECT_EQ(entry->UserCount(), 1);
    EXPECT_THROW(entry->RegisterUser(material), EAssertionFailed);
    entry->Material()->SetBlendingMode(bmAdditive);
    EXPECT_TRUE(material->Blended());
    material->SetLibMaterialName("Other");
    EXPECT_EQ(material->LibMaterial(), nullptr);
    EXPECT_EQ(entry->UserCount(), 0);
    material->SetLibMaterialName("TopFace");
    object.ClearStructureChanged();
    delete entry;
    EXPECT_EQ(material->LibMaterial(), nullptr);
    EXPECT_EQ(material->MaterialLibrary(), nullptr);
    EXPECT_EQ(material->LibMaterialName(), "");
    EXPECT_TRUE(object.Changes() & ObjectChange(ocStructure));
}

TEST(MaterialLibrary, LongChainsCountAsCycles) {
    TGLMaterialLibrary library;
    std::vector<TGLLibMaterial*> entries;
    for (int i = 0; i < 16; ++i) {
        entries.push_back(library.Materials()->Add());
        entries.back()->SetName("M" + std::to_string(i));
    }
    for (int i = 0; i < 15; ++i) {
        entries[i]->Material()->SetMaterialLibrary(&library);
        entries[i]->Material()->SetLibMaterialName("M" + std::to_string(i + 1));
    }
    TGLMaterial material;
    material.SetMaterialLibrary(&library);
    EXPECT_THAT(messageOf<EAssertionFailed>([&] { material.SetLibMaterialName("M0"); }),
                HasSubstr("Error: Cyclic material reference detected!"));
    EXPECT_NO_THROW(material.SetLibMaterialName("M1"));
    // A true cycle ends too.
    entries[15]->Material()->SetMaterialLibrary(&library);
    EXPECT_THROW(entries[15]->Material()->SetLibMaterialName("M14"), EAssertionFailed);
}

TEST(MaterialLibrary, ArchiveVersionsAndDamage) {
    // Version 0: names and images only.
    TMemoryStream stream;
    {
        TBinaryWriter writer(stream);
        writer.WriteInteger(0);
        writer.WriteInteger(1);
        writer.WriteString("OnlyName");
        writer.WriteBoolean(false);
    }
    stream.SetPosition(0);
    TGLMaterialLibrary library;
    library.LoadFromStream(stream);
    ASSERT_EQ(library.Materials()->Count(), 1);
    EXPECT_EQ(library.Materials()->GetItem(0)->Name(), "OnlyName");

    TMemoryStream future;
    TBinaryWriter(future).WriteInteger(3);
    future.SetPosition(0);
    EXPECT_THAT(messageOf<EFilerException>([&] { library.LoadFromStream(future); }),
                HasSubstr("unknown archive version 3"));

    // A stored count far beyond the bytes left is refused before anything is made.
    TMemoryStream damaged;
    {
        TBinaryWriter writer(damaged);
        writer.WriteInteger(2);
        writer.WriteInteger(0x7FFFFFFF);
    }
    damaged.SetPosition(0);
    EXPECT_THROW(library.LoadFromStream(damaged), EReadError);

    // A truncated entry raises the reader's error.
    TMemoryStream full;
    TGLMaterialLibrary source;
    source.Materials()->Add();
    source.SaveToStream(full);
    TMemoryStream cut;
    cut.WriteBuffer(full.Memory(), full.Size() - 10);
    cut.SetPosition(0);
    EXPECT_THROW(library.LoadFromStream(cut), EReadError);
}
