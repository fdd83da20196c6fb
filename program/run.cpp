// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "run.h"

#include "pictureio.h"
#include "reading.h"
#include "words.h"

#include "dotdata/datatext.h"
#include "dotdata/fileio.h"
#include "dotdata/picturefile.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

namespace dotdata::program {

namespace {

bool g_inputClosed = false;

int fail(const std::string &message)
{
    std::fprintf(stderr, "dotdata: %s\n", message.c_str());
    return 1;
}

/// Says why, in the catalogue's English: the command line loads no translation.
int fail(const Error &error)
{
    return fail(words::errorText(error).toStdString());
}

/// Writes the bytes to the standard output: status 0, or 1 with the reason said.
int writeOut(std::string_view bytes)
{
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size()
        && std::fflush(stdout) == 0)
        return 0;
    return fail(std::string("cannot write to the standard output: ") + std::strerror(errno));
}

std::string dataText(const std::vector<std::string> &lines, bool crlf)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + (crlf ? "\r\n" : "\n");
    return text;
}

} // namespace

void holdClosedStandardStreams()
{
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        if (fd == STDIN_FILENO)
            g_inputClosed = true;
        // Open the wrong way round, so that reading the input or writing an output fails
        // with EBADF, as it would have.
        const int null = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
}

int runCommand(const Command &command, const QString &helpText)
{
    if (command.mode == Command::Mode::Help || command.mode == Command::Mode::Version) {
        const QByteArray text = command.mode == Command::Mode::Help
            ? helpText.toUtf8()
            : "dotdata " + QCoreApplication::applicationVersion().toUtf8() + '\n';
        return writeOut(text.toStdString());
    }
    if (g_inputClosed && std::ranges::find(command.files, "-") != command.files.end())
        return fail("cannot read -: the standard input is closed");
    // Every input is read before anything is written: one that fails stops the run.
    std::vector<Picture::Table> tables;
    const reading::ReadOptions options {
        .sprite = command.sprite, .cellSide = command.scaleGiven ? kColumns * command.scale : 0};
    for (const std::filesystem::path &file : command.files) {
        const auto pictures = reading::readPictures(file, options);
        if (!pictures)
            return fail(pictures.error());
        if (tables.size() + pictures.value().size() > std::size_t(kMaxPictures)) {
            return fail(Error {.kind = ErrorKind::TooManyPictures,
                .file = file,
                .line = kMaxPictures,
                .value = (long long)(tables.size() + pictures.value().size())});
        }
        for (const PictureRecords &records : pictures.value()) {
            Picture picture;
            records.applyTo(picture);
            tables.push_back(picture.table());
        }
    }
    // The start number was checked with the arguments; the listing's numbers may yet
    // repeat where a single picture's would not.
    const auto lines = makeListing(tables, command.start, command.style);
    if (!lines)
        return fail(lines.error());

    if (command.mode == Command::Mode::Data)
        return writeOut(dataText(lines.value(), command.crlf));
    // Told apart in any case: SHIP.BAS is DATA text.
    const std::string suffix =
        QString::fromStdString(command.output.extension().string()).mid(1).toLower().toStdString();
    const auto refuse = [&](Error error) {
        error.file = command.output;
        return fail(error);
    };
    std::string text;
    std::optional<Result<QByteArray>> image;
    if (suffix == "bas" || suffix == "txt") {
        text = dataText(lines.value(), command.crlf);
    } else if (suffix.empty() || suffix == "dat" || suffix == "log") {
        if (tables.size() > 1)
            return refuse(
                Error {.kind = ErrorKind::SeveralPictures, .value = (long long)tables.size()});
        text = pictureFileText(tables.front());
    } else if (!(image = images::encodeSheet(tables, command.scale, command.columns, suffix))) {
        return refuse(Error {.kind = ErrorKind::UnknownSuffix, .text = suffix});
    } else if (!*image) {
        return refuse(image->error());
    }
    const std::string_view bytes = image
        ? std::string_view(image->value().constData(), std::size_t(image->value().size()))
        : std::string_view(text);
    if (command.output == "-")
        return writeOut(bytes);
    if (const Status written = writeFileAtomically(command.output, bytes); !written)
        return fail(written.error());
    return 0;
}

} // namespace dotdata::program
