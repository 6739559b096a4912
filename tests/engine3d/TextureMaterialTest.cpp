// Texture images loaded by extension, texture defaults and change flags, materials and the material
// library (names, hash, links, users, cycles, texture paths, archive versions) without OpenGL.
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

TEST(TextureImage, TextureNeededRewritesTheName) {
    QTemporaryDir dir;
    std::string file = pathIn(dir, "real.bmp");
    solidBitmap(4, 4, 1, 2, 3)->SaveToFile(file);
    TGLTexture texture;
    texture.OnTextureNeeded = [&](TObject*, std::string& name) {
        if (name == "alias") name = file;
    };
    texture.Image()->LoadFromFile("alias");
    EXPECT_EQ(texture.Image()->GetWidth(), 4);
}

TEST(TextureImage, CreateGraphicFromFileUsesOwnTableFirst) {
    QTemporaryDir dir;
    std::string file = pathIn(dir, "UPPER.BMP");
    solidBitmap(4, 2, 0, 0, 0)->SaveToFile(file);
    std::unique_ptr<TGraphic> graphic = CreateGraphicFromFile(file);
    ASSERT_NE(graphic, nullptr);
    EXPECT_EQ(graphic->Width(), 4);
    EXPECT_EQ(CreateGraphicFromFile(pathIn(dir, "none.bmp")), nullptr);
}

TEST(TextureImage, PicFileImageTakesANameFromASmallTextFile) {
    QTemporaryDir dir;
    std::string picture = pathIn(dir, "face.bmp");
    solidBitmap(4, 4, 200, 0, 0)->SaveToFile(picture);
    std::string pointer = pathIn(dir, "face.txt");
    SaveStringToFile(pointer, picture);
    TGLTexture texture;
    texture.SetImageClassName("TGLPicFileImage");
    auto* image = dynamic_cast<TGLPicFileImage*>(texture.Image());
    ASSERT_NE(image, nullptr);
    image->LoadFromFile(pointer);
    EXPECT_EQ(image->PictureFileName(), picture);
    TGLBitmap32* bitmap = image->GetBitmap32(GL_TEXTURE_2D);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 4);
    EXPECT_EQ(bitmap->Data()[0].r, 200);
    // A large file is the picture itself.
    std::string large = pathIn(dir, "large.bmp");
    solidBitmap(16, 16, 0, 0, 0)->SaveToFile(large);
    image->LoadFromFile(large);
    EXPECT_EQ(image->PictureFileName(), large);
    // A missing picture fails once per name.
    image->SetPictureFileName(pathIn(dir, "gone.bmp"));
    EXPECT_THROW(image->GetBitmap32(GL_TEXTURE_2D), EAssertionFailed);
    image->Invalidate();
    EXPECT_NO_THROW(image->GetBitmap32(GL_TEXTURE_2D));
}

TEST(TextureImage, BlankImageSizesAndFileForm) {
    QTemporaryDir dir;
    TGLTexture texture;
    texture.SetImageClassName("TGLBlankImage");
    auto* blank = dynamic_cast<TGLBlankImage*>(texture.Image());
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(blank->GetWidth(), 256);
    blank->SetWidth(0);
    EXPECT_EQ(blank->GetWidth(), 1);
    blank->SetWidth(64);
    blank->SetHeight(32);
    EXPECT_EQ(blank->FriendlyDescription(), "Blank Image (64 x 32)");
    std::string file = pathIn(dir, "blank.txt");
    blank->SaveToFile(file);
    EXPECT_EQ(LoadStringFromFile(file), "[BlankImage]\r\nWidth=64\r\nHeight=32");
    TGLBlankImage other;
    other.LoadFromFile(file);
    EXPECT_EQ(other.GetWidth(), 64);
    EXPECT_EQ(other.GetHeight(), 32);
    EXPECT_THROW(other.LoadFromFile(pathIn(dir, "none.txt")), EAssertionFailed);
    TGLFloatDataImage floatImage;
    EXPECT_EQ(floatImage.NativeTextureTarget(), 34037u);
    EXPECT_EQ(floatImage.FriendlyName(), "FloatData Image");
}

TEST(TextureImage, CubeMapFacesAndFile) {
    QTemporaryDir dir;
    TGLTexture texture;
    texture.SetImageClassName("TGLCubeMapImage");
    auto* cube = dynamic_cast<TGLCubeMapImage*>(texture.Image());
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(cube->NativeTextureTarget(), 34067u);
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
    EXPECT_EQ(loaded.PictureNZ()->Width(), 4);
    EXPECT_EQ(loaded.GetBitmap32(34074)->Data()[0].r, 200);
    // Another version word is refused.
    std::string bytes = LoadStringFromFile(file);
    bytes[1] = 2;
    SaveStringToFile(file, bytes);
    EXPECT_THROW(loaded.LoadFromFile(file), EAssertionFailed);
}

TEST(TextureImage, ClassRegistry) {
    EXPECT_EQ(FindTextureImageClass("TGLPersistentImage"), &TGLPersistentImage::StaticClass());
    EXPECT_EQ(FindTextureImageClass("tglpersistentimage"), nullptr);
    ASSERT_GE(GetGLTextureImageClassesList().size(), 5u);
    EXPECT_EQ(GetGLTextureImageClassesList()[0], &TGLBlankImage::StaticClass());
}

TEST(Texture, UnknownImageClassAndAssign) {
    TGLTexture texture;
    // A fresh texture must be uploaded before first use.
    EXPECT_TRUE(texture.ImageChanged());
    EXPECT_TRUE(texture.ParamsChanged());
    texture.SetImageClassName("NoSuchImage");
    EXPECT_EQ(texture.ImageClassName(), "TGLPersistentImage");

    TGLTexture copy;
    texture.SetTextureMode(tmModulate);
    texture.SetDisabled(false);
    texture.SetImageClassName("TGLBlankImage");
    copy.Assign(&texture);
    EXPECT_EQ(copy.TextureMode(), tmModulate);
    EXPECT_TRUE(copy.Enabled());
    EXPECT_EQ(copy.ImageClassName(), "TGLBlankImage");
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Disabled());
    EXPECT_EQ(copy.ImageClassName(), "TGLPersistentImage");
}

TEST(Material, BlendedByModeAndShininessClamp) {
    TGLMaterial material;
    TGLFaceProperties* front = material.FrontProperties();
    // Fixed-function lighting takes the default colours as they are: a swapped pair shows at once.
    EXPECT_EQ(front->Ambient()->Color(), (TVector{0.2f, 0.2f, 0.2f, 1}));
    EXPECT_EQ(front->Diffuse()->Color(), (TVector{0.8f, 0.8f, 0.8f, 1}));
    front->SetShininess(500);
    EXPECT_EQ(front->Shininess(), 128);
    EXPECT_FALSE(material.HasTexture());

    struct Row {
        TBlendingMode mode;
        bool blended;
    };
    for (Row row : {Row{bmOpaque, false}, Row{bmTransparency, true}, Row{bmAdditive, true},
                    Row{bmAlphaTest50, false}, Row{bmAlphaTest100, false}, Row{bmModulate, true}}) {
        material.SetBlendingMode(row.mode);
        EXPECT_EQ(material.Blended(), row.blended) << int(row.mode);
    }
    material.SetTexture(nullptr);
    EXPECT_FALSE(material.HasTexture());
    EXPECT_EQ(ColorToVector(0x0080FF), (TVector{1, 128 / 255.0f, 0, 1}));
}

TEST(MaterialLibrary, NamesHashAndUniqueness) {
    EXPECT_EQ(ComputeNameHashKey(""), 0u);
    EXPECT_EQ(ComputeNameHashKey("A"), 2u * 1 + 65);
    EXPECT_EQ(ComputeNameHashKey("AB"), 2u * (2u * 2 + 65) + 66);
    TGLMaterialLibrary library;
    TGLLibMaterial* first = library.Materials()->Add();
    TGLLibMaterial* second = library.Materials()->Add();
    EXPECT_EQ(first->Name(), "LibMaterial");
    EXPECT_EQ(second->Name(), "LibMaterial1");
    second->SetName("LibMaterial");
    EXPECT_EQ(second->Name(), "LibMaterial1");
    first->SetName("Face");
    second->SetName("Face");
    EXPECT_EQ(second->Name(), "Face1");
    EXPECT_EQ(library.LibMaterialByName("Face"), first);
    EXPECT_EQ(library.LibMaterialByName("face"), nullptr);
    EXPECT_EQ(LibMaterialByName(nullptr, "Face"), nullptr);
    EXPECT_EQ(first->NameHashKey(), ComputeNameHashKey("Face"));
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

TEST(MaterialLibrary, TexturePathsResolveRelativeNames) {
    QTemporaryDir first, second;
    std::string file = pathIn(second, "wall.bmp");
    solidBitmap(4, 4, 9, 9, 9)->SaveToFile(file);
    TGLMaterialLibrary library;
    library.SetTexturePaths(" " + first.path().toStdString() + " ;; " + second.path().toStdString() + "/");
    ASSERT_EQ(library.TexturePathList().size(), 2u);
    EXPECT_EQ(library.TexturePathList()[0].back(), '/');
    TGLLibMaterial* entry = library.Materials()->Add();
    entry->Material()->GetTexture()->Image()->LoadFromFile("wall.bmp");
    EXPECT_EQ(entry->Material()->GetTexture()->Image()->GetWidth(), 4);
    // Rooted names are not looked up in the folders.
    EXPECT_THROW(entry->Material()->GetTexture()->Image()->LoadFromFile("/wall.bmp"), ETexture);
    std::string seen;
    library.OnTextureNeeded = [&](TObject*, std::string& name) { seen = name; };
    entry->Material()->GetTexture()->Image()->LoadFromFile("wall.bmp");
    EXPECT_EQ(seen, "wall.bmp");
}

TEST(MaterialLibrary, ArchiveRoundTrip) {
    TGLMaterialLibrary library;
    auto picture = solidBitmap(4, 2, 50, 60, 70);
    TGLLibMaterial* textured = library.AddTextureMaterial("LeftFace", picture.get());
    EXPECT_EQ(textured->Material()->GetTexture()->TextureMode(), tmModulate);
    EXPECT_TRUE(textured->Material()->GetTexture()->Enabled());
    textured->Material()->FrontProperties()->Diffuse()->SetColor(0.1f, 0.2f, 0.3f, 0.4f);
    textured->Material()->FrontProperties()->SetShininess(12);
    textured->Material()->SetBlendingMode(bmAlphaTest50);
    textured->Material()->SetMaterialOptions(MaterialOption(moNoLighting));
    textured->TextureScale()->SetVector(2, 2, 1);
    TGLLibMaterial* plain = library.Materials()->Add();
    plain->SetName("Plain");
    plain->SetTexture2Name("LeftFace");
    TGLTextureExItem* extra = plain->Material()->TextureEx()->Add();
    extra->Texture()->Image()->Assign(picture.get());
    extra->Texture()->SetDisabled(false);
    extra->SetTextureIndex(1);

    TMemoryStream stream;
    library.SaveToStream(stream);
    stream.SetPosition(0);
    TGLMaterialLibrary loaded;
    loaded.Materials()->Add()->SetName("Dropped");
    loaded.LoadFromStream(stream);
    ASSERT_EQ(loaded.Materials()->Count(), 2);
    TGLLibMaterial* face = loaded.LibMaterialByName("LeftFace");
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->Material()->GetTexture()->Image()->GetWidth(), 4);
    EXPECT_EQ(face->Material()->FrontProperties()->Diffuse()->Color(), (TVector{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(face->Material()->FrontProperties()->Shininess(), 12);
    EXPECT_EQ(face->Material()->BlendingMode(), bmAlphaTest50);
    EXPECT_EQ(face->Material()->MaterialOptions(), MaterialOption(moNoLighting));
    EXPECT_FALSE(face->TextureMatrixIsIdentity());
    TGLLibMaterial* other = loaded.LibMaterialByName("Plain");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->Texture2Name(), "LeftFace");
    ASSERT_EQ(other->Material()->TextureEx()->Count(), 1);
    EXPECT_EQ(other->Material()->TextureEx()->Items(0)->TextureIndex(), 1);
    EXPECT_TRUE(other->Material()->TextureEx()->Items(0)->Texture()->Enabled());
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

TEST(MaterialLibrary, AddMaterialsKeepsExistingEntries) {
    TGLMaterialLibrary source;
    auto picture = solidBitmap(4, 4, 1, 1, 1);
    source.AddTextureMaterial("Shared", picture.get());
    TMemoryStream stream;
    source.SaveToStream(stream);
    stream.SetPosition(0);
    TGLMaterialLibrary target;
    TGLLibMaterial* existing = target.Materials()->Add();
    existing->SetName("Shared");
    target.Materials()->Add()->SetName("Kept");
    target.AddMaterialsFromStream(stream);
    EXPECT_EQ(target.Materials()->Count(), 2);
    EXPECT_EQ(target.LibMaterialByName("Shared"), existing);
    EXPECT_EQ(existing->Material()->GetTexture()->Image()->GetWidth(), 4);
}
