// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "words.h"

#include "dotdata/fileio.h"
#include "dotdata/picture.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstring>

using namespace Qt::StringLiterals;

namespace dotdata::words {

namespace {

/// The length of the UTF-8 sequence at the start of the bytes, or 0 if none begins there.
std::size_t sequenceLength(std::string_view b)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(b[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    // The range of the second byte narrows to rule out overlong forms and surrogates.
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || b.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (at(i) < 0x80 || at(i) > 0xBF)
            return 0;
    }
    return length;
}

/// Whether the character is one a terminal acts on: C0, DEL or C1 (U+0080..U+009F,
/// 0xC2 0x80..0x9F in UTF-8).
bool isControl(std::string_view character)
{
    const auto lead = static_cast<unsigned char>(character[0]);
    return lead < 0x20 || lead == 0x7F
        || (lead == 0xC2 && static_cast<unsigned char>(character[1]) < 0xA0);
}

QString escaped(std::string_view bytes)
{
    QString out = u"$'"_s;
    for (const char c : bytes) {
        static constexpr std::string_view kNamed = "\a\b\t\n\v\f\r", kLetters = "abtnvfr";
        if (const std::size_t named = kNamed.find(c); named != std::string_view::npos && c)
            out += u'\\' + QChar::fromLatin1(kLetters[named]);
        else
            out += u"\\%1"_s.arg(int(static_cast<unsigned char>(c)), 3, 8, QChar(u'0'));
    }
    return out + u'\'';
}

} // namespace

QString text(const char *source, const QStringList &arguments)
{
    // QString::arg fills the lowest placeholder first, which would put an argument in
    // the wrong place where a translation leaves one out; each is filled by its number.
    const QString translated = QCoreApplication::translate(kContext, source);
    QString out;
    for (qsizetype i = 0; i < translated.size(); ++i) {
        const int n = i + 1 < translated.size() ? translated[i + 1].digitValue() : -1;
        if (translated[i] == u'%' && n >= 1 && n <= arguments.size()) {
            out += arguments[n - 1];
            ++i;
        } else {
            out += translated[i];
        }
    }
    return out;
}

QString shown(std::string_view bytes)
{
    // Quoted as ls --quoting-style=shell-escape quotes, but only where it must be: a
    // name that is plain text is shown as it is.
    QString quoted;
    bool plain = true;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = sequenceLength(bytes.substr(at));
        const std::string_view character = bytes.substr(at, std::max<std::size_t>(length, 1));
        if (length == 0 || isControl(character)) {
            std::size_t end = at + character.size();
            // A run of them goes in one $'...'.
            while (end < bytes.size()) {
                const std::size_t next = sequenceLength(bytes.substr(end));
                if (next != 0 && !isControl(bytes.substr(end, next)))
                    break;
                end += std::max<std::size_t>(next, 1);
            }
            quoted += escaped(bytes.substr(at, end - at));
            plain = false;
            at = end;
            continue;
        }
        std::size_t end = at;
        while (end < bytes.size()) {
            const std::size_t next = sequenceLength(bytes.substr(end));
            if (next == 0 || isControl(bytes.substr(end, next)))
                break;
            end += next;
        }
        QString run = QString::fromUtf8(bytes.data() + at, qsizetype(end - at));
        quoted += u'\'' + run.replace(u"'"_s, u"'\\''"_s) + u'\'';
        at = end;
    }
    return plain ? QString::fromUtf8(bytes.data(), qsizetype(bytes.size())) : quoted;
}

QString shownFile(const std::filesystem::path &path)
{
    return shown(std::string_view(path.native()));
}

QString errorText(const Error &error)
{
    const QString file = shownFile(error.file), given = shown(error.text);
    const QString line = QString::number(error.line), column = QString::number(error.column),
                  value = QString::number(error.value);
    // The system's own wording follows the user's language setting.
    const QString system = QString::fromLocal8Bit(std::strerror(error.systemError));
    QString numbers = given; // "5000 6000" as "5000, 6000"
    //: What separates the line numbers in a list of them.
    numbers.replace(u' ', text(QT_TRANSLATE_NOOP("dotdata", ", ")));
    const QString imageSuffixes = u".png .bmp .gif .ppm .xpm .ico"_s;

    switch (error.kind) {
    case ErrorKind::CannotOpen:
        //: %1 the file, %2 the system's reason
        return text(QT_TRANSLATE_NOOP("dotdata", "cannot open %1: %2"), {file, system});
    case ErrorKind::CannotRead:
        return text(QT_TRANSLATE_NOOP("dotdata", "cannot read %1: %2"), {file, system});
    case ErrorKind::NotAFile:
        return text(QT_TRANSLATE_NOOP("dotdata", "%1: not a regular file"), {file});
    case ErrorKind::TooLarge:
        return text(QT_TRANSLATE_NOOP("dotdata",
                        "%1: the file is larger than %2 MiB, the most an input is read to: a "
                        "picture file as written is 5120 bytes, and the largest image dotdata "
                        "writes is 12 MiB"),
            {file, QString::number(kMaxInputBytes / (1024 * 1024))});
    case ErrorKind::CannotFollowLink:
        return text(QT_TRANSLATE_NOOP("dotdata", "cannot follow the link %1: %2"), {file, system});
    case ErrorKind::LinkChanged:
        return text(QT_TRANSLATE_NOOP(
                        "dotdata", "cannot write through the link %1: it changed during the save"),
            {file});
    case ErrorKind::CannotCreate:
        //: %1 the folder, %2 the system's reason
        return text(QT_TRANSLATE_NOOP("dotdata", "cannot create a file in %1: %2"), {file, system});
    case ErrorKind::CannotWrite:
        return text(QT_TRANSLATE_NOOP("dotdata", "cannot write %1: %2"), {file, system});
    case ErrorKind::CannotReplace:
        return text(QT_TRANSLATE_NOOP("dotdata", "cannot replace %1: %2"), {file, system});
    case ErrorKind::OutputNotAFile:
        return text(QT_TRANSLATE_NOOP(
                        "dotdata", "cannot replace %1: not a regular file; an output must be one"),
            {file});
    case ErrorKind::WideText:
        //: %2 UTF-16 or UTF-32
        return text(QT_TRANSLATE_NOOP("dotdata",
                        "%1: the file is %2 text (it begins with a byte-order mark); dotdata "
                        "reads ASCII text"),
            {file, given});
    case ErrorKind::BinaryData:
        return text(
            QT_TRANSLATE_NOOP("dotdata", "%1: binary data, no picture file, DATA text or image"),
            {file});
    case ErrorKind::TooManyRecords:
        return text(QT_TRANSLATE_NOOP("dotdata", "%1: the file has more than %2 records"),
            {file, QString::number(kEntries)});
    case ErrorKind::NoColor:
        //: %2 the record's number, %3 its value
        return text(QT_TRANSLATE_NOOP(
                        "dotdata", "%1: record %2 holds %3, which has no palette colour (0 to 7)"),
            {file, line, value});
    case ErrorKind::DataItem:
        return text(
            QT_TRANSLATE_NOOP("dotdata", "%1: line %2: the DATA item is not 32 digits 0 to 7"),
            {file, line});
    case ErrorKind::DataLineLength:
        //: %3 how many digits the line has
        return text(QT_TRANSLATE_NOOP("dotdata", "%1: line %2: %3 digits after DATA, not 32"),
            {file, line, value});
    case ErrorKind::DataDigit:
        return text(QT_TRANSLATE_NOOP(
                        "dotdata", "%1: line %2: the digit %3 has no palette colour (0 to 7)"),
            {file, line, value});
    case ErrorKind::DataLineCount:
        return text(QT_TRANSLATE_NOOP("dotdata", "%1: %2 DATA lines, not 32 for each picture"),
            {file, value});
    case ErrorKind::Sprites:
        if (error.text.empty()) { // a sheet's pictures have no line numbers
            //: %2 how many pictures
            return text(QT_TRANSLATE_NOOP("dotdata", "%1: %2 pictures; choose one with --sprite"),
                {file, value});
        }
        //: %2 how many pictures, %3 the line numbers of their first rows
        return text(QT_TRANSLATE_NOOP(
                        "dotdata", "%1: %2 pictures, from lines %3; choose one with --sprite"),
            {file, value, numbers});
    case ErrorKind::NoSuchSprite:
        if (error.text.empty()) {
            //: %2 the picture asked for, %3 how many there are
            return text(QT_TRANSLATE_NOOP("dotdata", "%1: no picture %2: the image holds %3"),
                {file, line, value});
        }
        //: %2 the picture asked for, %3 how many there are, %4 the line numbers of their
        //: first rows
        return text(
            QT_TRANSLATE_NOOP("dotdata", "%1: no picture %2: the DATA holds %3, from lines %4"),
            {file, line, value, numbers});
    case ErrorKind::DataLineRepeated:
        //: %2 the later line, %3 the line number as written, %4 the earlier line
        return text(QT_TRANSLATE_NOOP("dotdata",
                        "%1: line %2: the line number %3 is also that of line %4; BASIC keeps "
                        "only one line of a number"),
            {file, line, given, value});
    case ErrorKind::TooManyPictures:
        //: %2 how many pictures, %3 the most one run takes
        return text(
            QT_TRANSLATE_NOOP("dotdata", "%1: %2 pictures or more; one run takes %3 at most"),
            {file, value, line});
    case ErrorKind::ImageCutShort:
        //: %2 the image's format: PNG, JPEG ...
        return text(QT_TRANSLATE_NOOP("dotdata", "%1: the %2 image is cut short"), {file, given});
    case ErrorKind::ImageDamaged:
        return text(QT_TRANSLATE_NOOP("dotdata", "%1: the %2 image is damaged"), {file, given});
    case ErrorKind::ImageUnsupported:
        return text(
            QT_TRANSLATE_NOOP("dotdata", "%1: the %2 image is of a kind dotdata does not read"),
            {file, given});
    case ErrorKind::ImageSize:
        //: %2 the width, %3 the height
        return text(QT_TRANSLATE_NOOP("dotdata",
                        "%1: an image of %2 × %3 pixels; a picture's is square, 32 × K "
                        "pixels a side for K from 1 to 64"),
            {file, column, line});
    case ErrorKind::SheetSize:
        if (error.value > 0) {
            //: %2 the width, %3 the height, %4 the side of a picture given with --scale
            return text(QT_TRANSLATE_NOOP("dotdata",
                            "%1: an image of %2 × %3 pixels is no grid of pictures %4 pixels "
                            "a side"),
                {file, column, line, value});
        }
        //: %2 the width, %3 the height
        return text(QT_TRANSLATE_NOOP("dotdata",
                        "%1: an image of %2 × %3 pixels is neither square nor one row or "
                        "column of square pictures; --scale tells a grid's"),
            {file, column, line});
    case ErrorKind::SeveralPictures:
        //: %2 how many pictures
        return text(QT_TRANSLATE_NOOP("dotdata",
                        "%1: %2 pictures, and a picture file holds one; choose one with "
                        "--sprite"),
            {file, value});
    case ErrorKind::ImageBlock:
        //: %2 the block's side in pixels, %3 its column and %4 its row, from 0
        return text(QT_TRANSLATE_NOOP(
                        "dotdata", "%1: the %2 × %2 block of column %3, row %4 is not one colour"),
            {file, value, column, line});
    case ErrorKind::CannotWriteImage:
        if (error.value > 0) {
            //: %2 the suffix (png), %3 the largest scale, %4 the suffix in capitals (PNG)
            return text(QT_TRANSLATE_NOOP("dotdata",
                            "%1: a .%2 image holds the picture exactly only up to --scale %3"),
                {file, given, value, given.toUpper()});
        }
        //: %2 the suffix (png), %3 the image suffixes dotdata writes, %4 the suffix in
        //: capitals (PNG)
        return text(QT_TRANSLATE_NOOP("dotdata",
                        "%1: a .%2 image cannot hold the picture exactly; images are written "
                        "as %3"),
            {file, given, imageSuffixes, given.toUpper()});
    case ErrorKind::UnknownSuffix:
        //: %2 the suffix, %3 the image suffixes dotdata writes
        return text(QT_TRANSLATE_NOOP("dotdata",
                        "%1: dotdata writes no .%2 files: it writes an image as %3, DATA text "
                        "as .bas .txt, a picture file as .dat .log or with no suffix"),
            {file, given, imageSuffixes});
    case ErrorKind::NotANumber:
        return text(QT_TRANSLATE_NOOP("dotdata", "the start number \"%1\" is not a decimal number"),
            {given});
    case ErrorKind::NumberOutOfRange:
        return text(
            QT_TRANSLATE_NOOP("dotdata", "the start number \"%1\" is outside the range of numbers"),
            {given});
    case ErrorKind::LineNumbersRepeat:
        if (error.value > 0) {
            //: %2 how many pictures the listing holds
            return text(QT_TRANSLATE_NOOP("dotdata",
                            "the line number \"%1\" would be written more than once in the "
                            "listing of %2 pictures"),
                {given, value});
        }
        return text(QT_TRANSLATE_NOOP("dotdata",
                        "the line number \"%1\" would be written more than once among the 32 "
                        "lines"),
            {given});
    }
    return {};
}

bool loadJapanese(QTranslator &translator)
{
    return translator.load(u":/i18n/dotdata_ja.qm"_s);
}

void useJapanese()
{
    // Qt's own texts (dialog buttons, the file dialog, the overwrite question) in the
    // window's language, so that no dialog mixes two.
    static QTranslator own, qt;
    if (loadJapanese(own))
        QCoreApplication::installTranslator(&own);
    if (qt.load(u"qtbase_ja"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt);
}

} // namespace dotdata::words
