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

std::string dataText(const RowLines &lines, bool crlf)
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
    if (command.file == "-" && g_inputClosed)
        return fail("cannot read -: the standard input is closed");
    const Result<PictureRecords> records = reading::readPicture(command.file, command.sprite);
    if (!records)
        return fail(records.error());
    Picture picture;
    records.value().applyTo(picture);
    // The start number was checked with the arguments.
    const RowLines lines = makeRowLines(picture.table(), command.start, command.style).value();

    if (command.mode == Command::Mode::Data)
        return writeOut(dataText(lines, command.crlf));
    // Told apart in any case: SHIP.BAS is DATA text.
    const std::string suffix =
        QString::fromStdString(command.output.extension().string()).mid(1).toLower().toStdString();
    const auto refuse = [&](Error error) {
        error.file = command.output;
        return fail(error);
    };
    std::string text;
    std::optional<Result<QByteArray>> image;
    if (suffix == "bas" || suffix == "txt")
        text = dataText(lines, command.crlf);
    else if (suffix.empty() || suffix == "dat" || suffix == "log")
        text = pictureFileText(picture.table());
    else if (!(image = images::encodeImage(picture.table(), command.scale, suffix)))
        return refuse(Error {.kind = ErrorKind::UnknownSuffix, .text = suffix});
    else if (!*image)
        return refuse(image->error());
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
