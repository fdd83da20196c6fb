// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "commandline.h"

#include "arguments.h"

#include "words.h"

#include "dotdata/datatext.h"
#include "dotdata/fileio.h"
#include "dotdata/picturefile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>

using namespace Qt::StringLiterals;

namespace dotdata::program {

bool needsNoWindow(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            return false;
        for (const std::string_view option : {"--data", "--export"}) {
            if (argument.starts_with(option))
                return true;
        }
        for (const std::string_view option : {"-h", "--help", "--help-all", "-v", "--version"}) {
            if (argument == option)
                return true;
        }
    }
    return false;
}

CommandLine::CommandLine()
    : m_data(
        u"data"_s, u"Print the 32 DATA statements of each picture of the FILEs, as one listing."_s),
      m_export(u"export"_s,
          u"Write the FILEs' pictures as OUT, in the form OUT's suffix names: an image for "
          ".png, .bmp, .gif, .ppm, .xpm or .ico (several pictures as one sprite sheet), the "
          "DATA statements for .bas or .txt, a picture file, which holds one picture, for "
          ".dat, .log or no suffix. An OUT of - is the standard output, written as a picture "
          "file."_s,
          u"OUT"_s),
      m_start(u"start"_s, u"The first line number, default 5000."_s, u"N"_s),
      m_step(u"step"_s, u"The step between line numbers, a whole number, default 10."_s, u"N"_s),
      m_quote(u"quote"_s, u"Write each row's digits in double quotes."_s),
      m_crlf(u"crlf"_s, u"End DATA lines with CR LF rather than LF."_s),
      m_scale(u"scale"_s,
          u"K × K pixels a dot in an exported image, 1 to 64, default 1 (8 at most for .ico). "
          "An image read may be 32K × 32K for any K with each K × K block one colour. Given, "
          "it also reads an image whose sides are multiples of 32K as a grid of pictures "
          "32K a side, left to right, then top to bottom."_s,
          u"K"_s),
      m_sprite(u"sprite"_s,
          u"Take picture N, from 1, of one FILE that holds several: DATA text (runs of 32 "
          "DATA lines) or a sprite sheet."_s,
          u"N"_s),
      m_columns(u"columns"_s,
          u"Pictures a row of an exported sprite sheet, default all in one row; the cells "
          "past the last picture are colour 0."_s,
          u"N"_s),
      // Qt's own help option would offer --help-all as help "including Qt specific options",
      // which a command line parsed without the editor's application object cannot list.
      m_help({u"h"_s, u"help"_s, u"help-all"_s}, u"Show this help."_s),
      m_version({u"v"_s, u"version"_s}, u"Show the version."_s)
{
    m_parser.setApplicationDescription(
        u"Paint 32 × 32 dot pictures and turn them into BASIC DATA statements.\n"
        "\n"
        "  dotdata [FILE] [--sprite N]                  open the editor, with FILE loaded\n"
        "  dotdata --data FILE... [--start N] [--step N] [--quote] [--crlf] [--sprite N]\n"
        "  dotdata --export OUT FILE... [--start N] [--step N] [--quote] [--crlf]\n"
        "          [--scale K] [--sprite N] [--columns N]\n"
        "A FILE of - is the standard input, an OUT of - the standard output.\n"
        "Several FILEs, or a FILE of several pictures, make one listing of all their\n"
        "pictures in order, numbered on from one to the next, or one sprite sheet for an\n"
        "image OUT. A sprite sheet read is an image of one row or one column of square\n"
        "pictures; 4096 pictures at most.\n"
        "\n"
        "Exit status: 0 on success, 1 on a failure (one line on the standard error),\n"
        "2 on a usage error."_s);
    m_parser.addOptions({m_help, m_version, m_data, m_export, m_start, m_step, m_quote, m_crlf,
        m_scale, m_sprite, m_columns});
    m_parser.addPositionalArgument(u"FILE"_s,
        u"A picture file, DATA text or an image (PNG, BMP, GIF, JPEG, PBM, PGM, PPM, XBM, "
        "XPM, ICO), told apart by its content."_s,
        u"[FILE...]"_s);
}

std::variant<Command, QString> CommandLine::parse(const QStringList &arguments)
{
    if (!m_parser.parse(arguments))
        return m_parser.errorText();
    Command command;
    if (m_parser.isSet(m_help) || m_parser.isSet(m_version)) {
        command.mode = m_parser.isSet(m_version) ? Command::Mode::Version : Command::Mode::Help;
        return command;
    }
    // Qt's parser keeps the last of a repeated value, which would quietly drop the others.
    for (const QCommandLineOption *option :
        {&m_export, &m_start, &m_step, &m_scale, &m_sprite, &m_columns}) {
        if (const qsizetype given = m_parser.values(*option).size(); given > 1)
            return u"one --%1 at most, not %2"_s.arg(option->names().first()).arg(given);
    }
    const QStringList files = m_parser.positionalArguments();
    const bool data = m_parser.isSet(m_data), exportTo = m_parser.isSet(m_export);
    if (files.size() > 1 && !data && !exportTo)
        return u"one FILE at most, not %1"_s.arg(files.size());
    if (files.size() > 1 && m_parser.isSet(m_sprite))
        return u"--sprite picks a picture of one FILE, not of %1"_s.arg(files.size());
    // The standard input read a second time would give an empty picture without a word.
    if (files.count(u"-"_s) > 1)
        return u"the standard input, -, can be one FILE only, not %1"_s.arg(files.count(u"-"_s));
    command.file = encodeArgument(files.value(0));
    for (const QString &file : files)
        command.files.push_back(encodeArgument(file));
    if (data && exportTo)
        return u"--data and --export exclude each other"_s;
    if (data || exportTo) {
        command.mode = data ? Command::Mode::Data : Command::Mode::Export;
        command.output = encodeArgument(m_parser.value(m_export));
        if (command.file.empty())
            return (data ? u"--data"_s : u"--export"_s) + u" needs a FILE"_s;
        const QString suffix = QFileInfo(m_parser.value(m_export)).suffix().toLower();
        const bool image = exportTo && m_parser.value(m_export) != u"-"_s
            && !QStringList {u""_s, u"bas"_s, u"txt"_s, u"dat"_s, u"log"_s}.contains(suffix);
        if (m_parser.isSet(m_columns) && !image)
            return u"--columns goes with --export to an image"_s;
    } else {
        for (const QCommandLineOption *text : {&m_start, &m_step, &m_quote, &m_crlf}) {
            if (m_parser.isSet(*text))
                return u"--%1 goes with --data or --export"_s.arg(text->names().first());
        }
    }
    // Full-width digits, as a Japanese input method types them, are digits, as in the
    // window's start number field.
    constexpr long long kAny = std::numeric_limits<long long>::max();
    const auto wholeNumber = [&](const QCommandLineOption &option, long long &number,
                                 long long most) -> std::optional<QString> {
        if (!m_parser.isSet(option))
            return std::nullopt;
        const QString text = m_parser.value(option);
        bool ok = false;
        number = text.normalized(QString::NormalizationForm_KC).toLongLong(&ok);
        if (ok && number >= 1 && number <= most)
            return std::nullopt;
        const QString range = most == kAny ? u"of at least 1"_s : u"from 1 to %1"_s.arg(most);
        return u"--%1 takes a whole number %2, not \"%3\""_s.arg(
            option.names().first(), range, text);
    };
    long long step = command.style.step, scale = 1, sprite = 0, columns = 0;
    if (auto error = wholeNumber(m_step, step, kAny))
        return *error;
    if (auto error = wholeNumber(m_scale, scale, 64))
        return *error;
    if (auto error = wholeNumber(m_sprite, sprite, std::numeric_limits<int>::max()))
        return *error;
    if (auto error = wholeNumber(m_columns, columns, kMaxPictures))
        return *error;
    command.columns = int(columns);
    command.scaleGiven = m_parser.isSet(m_scale);
    command.style = {step, m_parser.isSet(m_quote)};
    command.scale = int(scale);
    command.sprite = int(sprite);
    if (m_parser.isSet(m_start)) {
        command.start =
            m_parser.value(m_start).normalized(QString::NormalizationForm_KC).toStdString();
    }
    if (const Result<RowLines> lines = makeRowLines({}, command.start, command.style); !lines)
        return u"--start: "_s + words::errorText(lines.error());
    command.crlf = m_parser.isSet(m_crlf);
    return command;
}

} // namespace dotdata::program
