#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstddef>

namespace zarvik {

// How the bytes of a text form are to be read.
enum class TextEncoding {
    Utf8,
    Latin1,
    // The owner picks (TEXT): on X11 the type of its answer names the encoding.
    OwnersChoice,
};

// One form plain text travels in between programs: its X11 target and the MIME type that
// stands for it on Wayland (XWayland passes one for the other).
struct TextFormat {
    const char* x11Target;
    const char* mimeType;
    TextEncoding encoding;
};

// The forms a text is asked for in, best first, on X11 and on Wayland alike: UTF-8, which
// every current toolkit offers and which holds any text; the Latin-1 STRING, exact as far as it
// goes; TEXT last, whose answer may be in an encoding we do not read (compound text).
inline constexpr std::array<TextFormat, 3> kTextFormats{{
    {"UTF8_STRING", "text/plain;charset=utf-8", TextEncoding::Utf8},
    {"STRING", "text/plain;charset=iso-8859-1", TextEncoding::Latin1},
    {"TEXT", "text/plain", TextEncoding::OwnersChoice},
}};

// Where `name`, an X11 target or a MIME type, stands in kTextFormats; -1 for no text form.
inline int textFormatIndex(QByteArrayView name)
{
    for (std::size_t i = 0; i < kTextFormats.size(); ++i) {
        if (name == QByteArrayView(kTextFormats[i].x11Target) || name == QByteArrayView(kTextFormats[i].mimeType))
            return int(i);
    }
    return -1;
}

// The names a Wayland offer may give the text forms, best first: each form's MIME type, then
// its X11 name, which programs under XWayland and some toolkits offer as it is.
inline constexpr std::array<const char*, 2 * kTextFormats.size()> waylandTextTypes()
{
    std::array<const char*, 2 * kTextFormats.size()> names{};
    for (std::size_t i = 0; i < kTextFormats.size(); ++i) {
        names[2 * i] = kTextFormats[i].mimeType;
        names[2 * i + 1] = kTextFormats[i].x11Target;
    }
    return names;
}

// The text in `bytes`, read as `encoding` says (the owner's choice is read as UTF-8, which is
// what it is in practice where no type tells). Some owners count the C string terminator in;
// it is not part of the text.
inline QString decodeText(QByteArray bytes, TextEncoding encoding)
{
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    return encoding == TextEncoding::Latin1 ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
}

} // namespace zarvik
