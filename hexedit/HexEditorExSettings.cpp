// The settings text of THexEditorEx: "Name=Value" lines for the published properties, sub-objects dotted.
#include "HexEditorEx.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <map>

namespace {
const char* const translationNames[] = {"tkAsIs", "tkDos8", "tkASCII", "tkMac", "tkBCD", "tkCustom"};
const char* const caretNames[] = {"ckFull", "ckLeft", "ckBottom", "ckAuto"};
const char* const printFlagNames[] = {"pfSelectionOnly",      "pfSelectionBold",   "pfMonochrome",
                                      "pfUseBackgroundColor", "pfCurrentViewOnly", "pfIncludeRuler"};
const char* const fontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

// Colour constants by name, as blue-green-red numbers.
const std::pair<const char*, quint32> colorNames[] = {
    {"clBlack", 0x000000},      {"clMaroon", 0x000080},  {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000},       {"clPurple", 0x800080},  {"clTeal", 0x808000},  {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},     {"clRed", 0x0000FF},     {"clLime", 0x00FF00},  {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},       {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},  {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0}};

QString boolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool parseBool(const QString& text) {
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    throw EHexEditor("Invalid property value");
}

int parseInt(const QString& text) {
    bool ok = false;
    int value = text.trimmed().startsWith(QLatin1Char('$')) ? text.trimmed().mid(1).toInt(&ok, 16)
                                                            : text.trimmed().toInt(&ok);
    if (!ok) throw EHexEditor("Invalid property value");
    return value;
}

// A theme colour is written by its name, so that the text takes the theme it is read in.
QString colorText(const THexColor& color) {
    if (color.Theme) return QString::fromLatin1(color.Theme->Name);
    const quint32 bgr = static_cast<quint32>(color.Value.blue()) << 16 |
                        static_cast<quint32>(color.Value.green()) << 8 |
                        static_cast<quint32>(color.Value.red());
    for (const auto& [name, value] : colorNames)
        if (value == bgr) return QString::fromLatin1(name);
    return QStringLiteral("$%1").arg(bgr, 8, 16, QLatin1Char('0')).toUpper();
}

THexColor parseColor(const QString& text) {
    if (const THexSystemColor* theme = findHexSystemColor(text.trimmed())) return {theme->Current(), theme};
    for (const auto& [name, value] : colorNames)
        if (text.trimmed().compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return {QColor(value & 0xFF, value >> 8 & 0xFF, value >> 16 & 0xFF)};
    const quint32 bgr = static_cast<quint32>(parseInt(text));
    return {QColor(bgr & 0xFF, bgr >> 8 & 0xFF, bgr >> 16 & 0xFF)};
}

// Point sizes are written as they are, fractions kept; pixel sizes as negative numbers, as a font height is.
QString fontSizeText(const QFont& font) {
    return font.pixelSize() > 0 ? QString::number(-font.pixelSize()) : QString::number(font.pointSizeF());
}

void setFontSize(QFont& font, const QString& text) {
    bool ok = false;
    double size = text.trimmed().toDouble(&ok);
    if (!ok) size = parseInt(text);
    if (!std::isfinite(size)) throw EHexEditor("Invalid property value");
    // Bounded so that the size in pixels stays a number the layout can hold.
    if (size < 0)
        font.setPixelSize(static_cast<int>(std::clamp(-size, 1.0, 10000.0)));
    else
        font.setPointSizeF(std::clamp(size, 1.0, 10000.0));
}

template <size_t N> QString enumText(const char* const (&names)[N], int value) {
    return value >= 0 && static_cast<size_t>(value) < N ? QString::fromLatin1(names[value])
                                                        : QString::number(value);
}

template <size_t N> int parseEnum(const char* const (&names)[N], const QString& text) {
    for (size_t i = 0; i < N; ++i)
        if (text.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    throw EHexEditor("Invalid property value");
}

template <size_t N> QString setText(const char* const (&names)[N], unsigned bits) {
    QStringList parts;
    for (size_t i = 0; i < N; ++i)
        if (bits & (1u << i)) parts << QString::fromLatin1(names[i]);
    return QLatin1Char('[') + parts.join(QLatin1Char(',')) + QLatin1Char(']');
}

template <size_t N> unsigned parseSet(const char* const (&names)[N], QString text) {
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('['))) text = text.mid(1);
    if (text.endsWith(QLatin1Char(']'))) text.chop(1);
    unsigned bits = 0;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        bits |= 1u << parseEnum(names, part.trimmed());
    return bits;
}

unsigned fontStyle(const QFont& f) {
    return (f.bold() ? 1u : 0u) | (f.italic() ? 2u : 0u) | (f.underline() ? 4u : 0u) |
           (f.strikeOut() ? 8u : 0u);
}

void setFontStyle(QFont& f, unsigned bits) {
    f.setBold(bits & 1u);
    f.setItalic(bits & 2u);
    f.setUnderline(bits & 4u);
    f.setStrikeOut(bits & 8u);
}

QString charsetText(int charset) {
    return charset == 1 ? QStringLiteral("DEFAULT_CHARSET") : QString::number(charset);
}
int parseCharset(const QString& text) {
    return text.compare(QLatin1String("DEFAULT_CHARSET"), Qt::CaseInsensitive) == 0 ? 1 : parseInt(text);
}

QString maskCharText(char16_t c) {
    return c < 32 ? QStringLiteral("#%1").arg(int(c)) : QString(QChar(c));
}
char16_t parseMaskChar(const QString& text) {
    if (text.size() == 1) return text[0].unicode();
    if (text.startsWith(QLatin1Char('#'))) return static_cast<char16_t>(parseInt(text.mid(1)) & 0xFFFF);
    return u'.';
}
} // namespace

struct HexSettingsTable {
    struct Entry {
        const char* name;
        std::function<QString(const THexEditorEx&)> get;
        std::function<void(THexEditorEx&, const QString&)> set;
    };

    static const std::vector<Entry>& entries() {
        using E = THexEditorEx;
#define BOOL_PROP(Name)                                                                                      \
    Entry {                                                                                                  \
#Name,                                                                                               \
            [](const E& e) { return boolText(e.Name()); },                                                   \
                                                        [](E & e,                                            \
                                                           const QString& v) { e.Set##Name(parseBool(v)); }  \
    }
#define INT_PROP(Name)                                                                                       \
    Entry {                                                                                                  \
#Name, [](const E& e) { return QString::number(e.Name()); }, [](E & e,                               \
                                                                        const QString&                       \
                                                                            v) { e.Set##Name(parseInt(v)); } \
    }
#define COLOR_PROP(Name)                                                                                     \
    Entry {                                                                                                  \
        "Colors." #Name,                                                                                     \
            [](const E& e) {                                                                                 \
                return colorText({e.Colors().Name(), e.Colors().Name##Theme()});                             \
            },                                                                                               \
            [](E& e, const QString& v) {                                                                     \
                const THexColor color = parseColor(v);                                                       \
                if (color.Theme)                                                                             \
                    e.Colors().Set##Name(*color.Theme);                                                      \
                else                                                                                         \
                    e.Colors().Set##Name(color.Value);                                                       \
            }                                                                                                \
    }
        static const std::vector<Entry> table = {
            BOOL_PROP(CreateBackup),
            Entry{"BackupExtension", [](const E& e) { return e.BackupExtension(); },
                  [](E& e, const QString& v) { e.SetBackupExtension(v); }},
            BOOL_PROP(OleDragDrop),
            BOOL_PROP(ClipboardAsHexText),
            BOOL_PROP(FlushClipboardAtShutDown),
            BOOL_PROP(SupportsOtherClipFormats),
            Entry{"PrintOptions.MarginLeft",
                  [](const E& e) { return QString::number(e.m_printOptions.MarginLeft); },
                  [](E& e, const QString& v) { e.m_printOptions.MarginLeft = parseInt(v); }},
            Entry{"PrintOptions.MarginTop",
                  [](const E& e) { return QString::number(e.m_printOptions.MarginTop); },
                  [](E& e, const QString& v) { e.m_printOptions.MarginTop = parseInt(v); }},
            Entry{"PrintOptions.MarginRight",
                  [](const E& e) { return QString::number(e.m_printOptions.MarginRight); },
                  [](E& e, const QString& v) { e.m_printOptions.MarginRight = parseInt(v); }},
            Entry{"PrintOptions.MarginBottom",
                  [](const E& e) { return QString::number(e.m_printOptions.MarginBottom); },
                  [](E& e, const QString& v) { e.m_printOptions.MarginBottom = parseInt(v); }},
            Entry{"PrintOptions.PageHeader", [](const E& e) { return e.m_printOptions.Headers[0]; },
                  [](E& e, const QString& v) { e.m_printOptions.Headers[0] = v; }},
            Entry{"PrintOptions.PageFooter", [](const E& e) { return e.m_printOptions.Headers[1]; },
                  [](E& e, const QString& v) { e.m_printOptions.Headers[1] = v; }},
            Entry{"PrintOptions.Flags",
                  [](const E& e) { return setText(printFlagNames, e.m_printOptions.Flags); },
                  [](E& e, const QString& v) { e.m_printOptions.Flags = parseSet(printFlagNames, v); }},
            Entry{"PrintFont.Charset", [](const E& e) { return charsetText(e.m_printFontCharset); },
                  [](E& e, const QString& v) { e.m_printFontCharset = parseCharset(v); }},
            Entry{"PrintFont.Color", [](const E& e) { return colorText(e.m_printFontColor); },
                  [](E& e, const QString& v) { e.m_printFontColor = parseColor(v); }},
            Entry{"PrintFont.Name", [](const E& e) { return e.m_printFont.family(); },
                  [](E& e, const QString& v) { e.m_printFont.setFamily(v); }},
            Entry{"PrintFont.Size", [](const E& e) { return fontSizeText(e.m_printFont); },
                  [](E& e, const QString& v) { setFontSize(e.m_printFont, v); }},
            Entry{"PrintFont.Style",
                  [](const E& e) { return setText(fontStyleNames, fontStyle(e.m_printFont)); },
                  [](E& e, const QString& v) { setFontStyle(e.m_printFont, parseSet(fontStyleNames, v)); }},
            BOOL_PROP(UseEditorFontForPrinting),
            BOOL_PROP(ZoomOnWheel),
            Entry{"Font.Charset", [](const E& e) { return charsetText(e.m_fontCharset); },
                  [](E& e, const QString& v) { e.m_fontCharset = parseCharset(v); }},
            Entry{"Font.Color",
                  [](const E& e) {
                      // The theme colour counts only while the text colour still is that colour.
                      const QColor text = e.palette().color(QPalette::Text);
                      const THexSystemColor* theme = e.m_fontColorTheme;
                      return colorText({text, theme && theme->Current() == text ? theme : nullptr});
                  },
                  [](E& e, const QString& v) {
                      const THexColor color = parseColor(v);
                      QPalette p = e.palette();
                      p.setColor(QPalette::Text, color.Value);
                      e.setPalette(p);
                      e.m_fontColorTheme = color.Theme;
                  }},
            Entry{"Font.Name", [](const E& e) { return e.font().family(); },
                  [](E& e, const QString& v) {
                      QFont f = e.font();
                      f.setFamily(v);
                      e.setFont(f);
                  }},
            Entry{"Font.Size", [](const E& e) { return fontSizeText(e.font()); },
                  [](E& e, const QString& v) {
                      QFont f = e.font();
                      setFontSize(f, v);
                      e.setFont(f);
                  }},
            Entry{"Font.Style", [](const E& e) { return setText(fontStyleNames, fontStyle(e.font())); },
                  [](E& e, const QString& v) {
                      QFont f = e.font();
                      setFontStyle(f, parseSet(fontStyleNames, v));
                      e.setFont(f);
                  }},
            INT_PROP(BytesPerRow),
            INT_PROP(BytesPerColumn),
            Entry{"Translation", [](const E& e) { return enumText(translationNames, e.Translation()); },
                  [](E& e, const QString& v) {
                      e.SetTranslation(static_cast<THexTranslationKind>(parseEnum(translationNames, v)));
                  }},
            Entry{"OffsetFormat", [](const E& e) { return QString::fromStdString(e.OffsetFormat()); },
                  [](E& e, const QString& v) { e.SetOffsetFormat(v.toStdString()); }},
            Entry{"CaretKind", [](const E& e) { return enumText(caretNames, e.CaretKind()); },
                  [](E& e, const QString& v) {
                      e.SetCaretKind(static_cast<THexCaretKind>(parseEnum(caretNames, v)));
                  }},
            COLOR_PROP(Background),
            COLOR_PROP(ChangedBackground),
            COLOR_PROP(ChangedText),
            COLOR_PROP(CursorFrame),
            COLOR_PROP(Offset),
            COLOR_PROP(OddColumn),
            COLOR_PROP(EvenColumn),
            COLOR_PROP(CurrentOffsetBackground),
            COLOR_PROP(OffsetBackGround),
            COLOR_PROP(CurrentOffset),
            COLOR_PROP(Grid),
            COLOR_PROP(NonFocusCursorFrame),
            COLOR_PROP(ActiveFieldBackground),
            BOOL_PROP(FocusFrame),
            BOOL_PROP(SwapNibbles),
            Entry{"MaskChar", [](const E& e) { return maskCharText(e.MaskChar()); },
                  [](E& e, const QString& v) { e.SetMaskChar(parseMaskChar(v)); }},
            BOOL_PROP(NoSizeChange),
            BOOL_PROP(AllowInsertMode),
            BOOL_PROP(DrawGridLines),
            BOOL_PROP(ReadOnlyView),
            BOOL_PROP(HideSelection),
            BOOL_PROP(GraySelectionIfNotFocused),
            INT_PROP(GutterWidth),
            INT_PROP(MaxUndo),
            BOOL_PROP(InsertMode),
            BOOL_PROP(HexLowerCase),
            BOOL_PROP(DrawGutter3D),
            BOOL_PROP(ShowRuler),
            INT_PROP(BytesPerUnit),
            INT_PROP(RulerBytesPerUnit),
            BOOL_PROP(ShowPositionIfNotFocused),
            BOOL_PROP(UnicodeChars),
            BOOL_PROP(UnicodeBigEndian),
            INT_PROP(BytesPerBlock),
            BOOL_PROP(SeparateBlocksInCharField),
            BOOL_PROP(FindProgress),
            INT_PROP(RulerNumberBase),
        };
#undef BOOL_PROP
#undef INT_PROP
#undef COLOR_PROP
        return table;
    }

    static const Entry* find(const QString& name) {
        for (const Entry& entry : entries())
            if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0) return &entry;
        return nullptr;
    }
};

const std::vector<QString>& THexEditorEx::PublicPropertyNames() {
    static const std::vector<QString> names = [] {
        const QString list = QStringLiteral(
            "ShowRuler,DrawGutter3D,CreateBackup,BackupExtension,OleDragDrop,ClipboardAsHexText,"
            "FlushClipboardAtShutDown,SupportsOtherClipFormats,UseEditorFontForPrinting,ZoomOnWheel,"
            "BytesPerRow,"
            "BytesPerColumn,Translation,OffsetFormat,CaretKind,FocusFrame,SwapNibbles,MaskChar,NoSizeChange,"
            "AllowInsertMode,DrawGridLines,ReadOnlyView,HideSelection,GraySelectionIfNotFocused,GutterWidth,"
            "MaxUndo,"
            "InsertMode,HexLowerCase,Colors.Background,Colors.ChangedBackground,Colors.ChangedText,Colors."
            "CursorFrame,"
            "Colors.NonFocusCursorFrame,Colors.Offset,Colors.OddColumn,Colors.EvenColumn,"
            "Colors.CurrentOffsetBackground,Colors.OffsetBackGround,Colors.CurrentOffset,Colors."
            "ActiveFieldBackground,"
            "Colors.Grid,PrintFont.Charset,PrintFont.Color,PrintFont.Name,PrintFont.Size,PrintFont.Style,"
            "PrintOptions.MarginLeft,PrintOptions.MarginTop,PrintOptions.MarginRight,PrintOptions."
            "MarginBottom,"
            "PrintOptions.PageHeader,PrintOptions.PageFooter,PrintOptions.Flags,Font.Charset,Font.Color,Font."
            "Name,"
            "Font.Size,Font.Style,BytesPerUnit,RulerBytesPerUnit,ShowPositionIfNotFocused,UnicodeChars,"
            "UnicodeBigEndian,BytesPerBlock,SeparateBlocksInCharField,FindProgress,RulerNumberBase");
        std::vector<QString> out;
        for (const QString& name : list.split(QLatin1Char(',')))
            out.push_back(name);
        return out;
    }();
    return names;
}

bool THexEditorEx::IsPublicProperty(const QString& name) const {
    bool found = false;
    for (const QString& candidate : PublicPropertyNames())
        if (QString::compare(candidate, name, Qt::CaseInsensitive) == 0) found = true;
    if (!found) return false;
    bool isPublic = true;
    if (OnQueryPublicProperty) OnQueryPublicProperty(name, isPublic);
    return isPublic;
}

QString THexEditorEx::GetSettingsText() const {
    QStringList lines;
    for (const HexSettingsTable::Entry& entry : HexSettingsTable::entries()) {
        const QString name = QString::fromLatin1(entry.name);
        if (IsPublicProperty(name)) lines << name + QLatin1Char('=') + entry.get(*this);
    }
    return lines.join(QLatin1Char('\n'));
}

void THexEditorEx::SetSettingsText(const QString& text) {
    BeginUpdate();
    struct End {
        THexEditorEx* editor;
        ~End() { editor->EndUpdate(); }
    } end{this};
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        const QString name = line.left(eq);
        if (!IsPublicProperty(name)) continue;
        if (const HexSettingsTable::Entry* entry = HexSettingsTable::find(name))
            entry->set(*this, line.mid(eq + 1));
    }
}
