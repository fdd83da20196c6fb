// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/error.h"

#include <iomanip>
#include <ostream>

namespace dotdata {

const char *kindName(ErrorKind kind)
{
    switch (kind) {
    case ErrorKind::CannotOpen:
        return "CannotOpen";
    case ErrorKind::CannotRead:
        return "CannotRead";
    case ErrorKind::NotAFile:
        return "NotAFile";
    case ErrorKind::TooLarge:
        return "TooLarge";
    case ErrorKind::CannotFollowLink:
        return "CannotFollowLink";
    case ErrorKind::LinkChanged:
        return "LinkChanged";
    case ErrorKind::CannotCreate:
        return "CannotCreate";
    case ErrorKind::CannotWrite:
        return "CannotWrite";
    case ErrorKind::CannotReplace:
        return "CannotReplace";
    case ErrorKind::OutputNotAFile:
        return "OutputNotAFile";
    case ErrorKind::WideText:
        return "WideText";
    case ErrorKind::BinaryData:
        return "BinaryData";
    case ErrorKind::TooManyRecords:
        return "TooManyRecords";
    case ErrorKind::NoColor:
        return "NoColor";
    case ErrorKind::DataItem:
        return "DataItem";
    case ErrorKind::DataLineLength:
        return "DataLineLength";
    case ErrorKind::DataDigit:
        return "DataDigit";
    case ErrorKind::DataLineCount:
        return "DataLineCount";
    case ErrorKind::Sprites:
        return "Sprites";
    case ErrorKind::NoSuchSprite:
        return "NoSuchSprite";
    case ErrorKind::DataLineRepeated:
        return "DataLineRepeated";
    case ErrorKind::TooManyPictures:
        return "TooManyPictures";
    case ErrorKind::ImageCutShort:
        return "ImageCutShort";
    case ErrorKind::ImageDamaged:
        return "ImageDamaged";
    case ErrorKind::ImageUnsupported:
        return "ImageUnsupported";
    case ErrorKind::ImageSize:
        return "ImageSize";
    case ErrorKind::ImageBlock:
        return "ImageBlock";
    case ErrorKind::CannotWriteImage:
        return "CannotWriteImage";
    case ErrorKind::UnknownSuffix:
        return "UnknownSuffix";
    case ErrorKind::SeveralPictures:
        return "SeveralPictures";
    case ErrorKind::SheetSize:
        return "SheetSize";
    case ErrorKind::NotANumber:
        return "NotANumber";
    case ErrorKind::NumberOutOfRange:
        return "NumberOutOfRange";
    case ErrorKind::LineNumbersRepeat:
        return "LineNumbersRepeat";
    }
    return "?";
}

std::ostream &operator<<(std::ostream &out, const Error &error)
{
    out << kindName(error.kind);
    if (!error.file.empty())
        out << " file " << error.file;
    if (error.line != 0)
        out << " line " << error.line;
    if (error.column != 0)
        out << " column " << error.column;
    if (error.value != 0)
        out << " value " << error.value;
    if (!error.text.empty())
        out << " text " << std::quoted(error.text);
    if (error.systemError != 0)
        out << " systemError " << error.systemError;
    return out;
}

} // namespace dotdata
