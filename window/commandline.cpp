// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "commandline.h"

#include "modules.h"

#include "dotdata/datatext.h"
#include "dotdata/input.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include <cstring>
#include <dlfcn.h>

using namespace Qt::StringLiterals;

namespace dotdata::window {

namespace {

constexpr char kUsage[] = "Usage: dotdata [FILE] [--scale K]\n"
                          "       dotdata --data FILE [--start N] [--crlf] [--scale K]\n"
                          "       dotdata --export OUT FILE [--start N] [--crlf] [--scale K]\n"
                          "       dotdata --help | --version\n";

constexpr char kHelp[] =
    "\n"
    "Paint 32 × 32 dot pictures and turn them into BASIC DATA statements.\n"
    "Without --data or --export, dotdata opens the editor, with FILE loaded.\n"
    "\n"
    "  FILE          a picture file, DATA text or a 32 × 32 image (PNG, BMP, PPM ...),\n"
    "                told apart by its content\n"
    "  --data        print the 32 DATA statements of FILE\n"
    "  --export OUT  write FILE as OUT, in the form OUT's suffix names: an image for an\n"
    "                image suffix (.png, .bmp, .ppm ...), the DATA statements for .bas\n"
    "                or .txt, a picture file for anything else (.dat, .log, none)\n"
    "  --start N     the first line number, default 5000; each line adds 10\n"
    "  --crlf        end DATA lines with CR LF rather than LF\n"
    "  --scale K     K × K pixels a dot, 1 to 64, default 1: for an exported image, and\n"
    "                an image read may be 32K × 32K with each K × K block one colour\n"
    "  -h, --help    show this help\n"
    "  -v, --version show the version\n"
    "\n"
    "Exit status: 0 on success, 1 on a failure (one line on the standard error),\n"
    "2 on a usage error.\n";

bool write(std::FILE *stream, const QByteArray &bytes)
{
    return std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream)
        == std::size_t(bytes.size())
        && std::fflush(stream) == 0;
}

int fail(const std::string &message)
{
    std::fprintf(stderr, "dotdata: %s\n", message.c_str());
    return 1;
}

std::string dataText(const RowLines &lines, bool crlf)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + (crlf ? "\r\n" : "\n");
    return text;
}

} // namespace

namespace {

/// Loads a module beside the program in the build tree, or from its library folder when
/// installed; a program that cannot load it says why and ends with status 1.
template<typename Module>
const Module &loadModule(const char *file, const char *entryName)
{
    const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe")
                                             .parent_path();
    std::string tried;
    for (const std::filesystem::path &module :
        {folder / file, folder / DOTDATA_MODULE_DIR / file}) {
        if (void *handle = ::dlopen(module.c_str(), RTLD_LAZY | RTLD_LOCAL)) {
            using Entry = const Module *(*)();
            if (const auto entry = reinterpret_cast<Entry>(::dlsym(handle, entryName)))
                return *entry();
        }
        tried += std::string(tried.empty() ? "" : "; ") + ::dlerror();
    }
    std::fprintf(stderr, "dotdata: cannot load %s: %s\n", file, tried.c_str());
    std::exit(1);
}

} // namespace

const ImageModule &imageModule()
{
    static const ImageModule &module = loadModule<ImageModule>("dotdata-image.so", kImageEntry);
    return module;
}

const EditorModule &editorModule()
{
    static const EditorModule &module = loadModule<EditorModule>("dotdata-editor.so", kEditorEntry);
    return module;
}

QString usage()
{
    return QString::fromUtf8(kUsage);
}

QStringList withoutQtOptions(const QStringList &arguments)
{
    static const QStringList withValue = {u"platform"_s, u"platformpluginpath"_s,
        u"platformtheme"_s, u"plugin"_s, u"qwindowgeometry"_s, u"qwindowicon"_s, u"qwindowtitle"_s,
        u"session"_s, u"display"_s, u"geometry"_s, u"style"_s, u"stylesheet"_s};
    static const QStringList alone = {
        u"reverse"_s, u"widgetcount"_s, u"qmljsdebugger"_s, u"dialogs"_s, u"fontengine"_s};
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--"_s) {
            rest += arguments.mid(i);
            break;
        }
        const QString name = argument.startsWith(u'-')
            ? argument.mid(argument.startsWith(u"--"_s) ? 2 : 1).section(u'=', 0, 0)
            : QString();
        if (withValue.contains(name))
            i += argument.contains(u'=') ? 0 : 1;
        else if (!alone.contains(name) || i == 0)
            rest << argument;
    }
    return rest;
}

std::variant<Command, QString> parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption data(u"data"_s), exportTo(u"export"_s, QString(), u"OUT"_s),
        start(u"start"_s, QString(), u"N"_s), scale(u"scale"_s, QString(), u"K"_s), crlf(u"crlf"_s),
        help(QStringList {u"h"_s, u"help"_s}), version(QStringList {u"v"_s, u"version"_s});
    parser.addOptions({data, exportTo, start, scale, crlf, help, version});
    if (!parser.parse(arguments))
        return parser.errorText();

    Command command;
    if (parser.isSet(help) || parser.isSet(version)) {
        command.mode = parser.isSet(help) ? Command::Mode::Help : Command::Mode::Version;
        return command;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return u"one FILE at most, not %1"_s.arg(files.size());
    command.file = files.value(0);
    if (parser.isSet(data) && parser.isSet(exportTo))
        return u"--data and --export exclude each other"_s;
    if (parser.isSet(data) || parser.isSet(exportTo)) {
        command.mode = parser.isSet(data) ? Command::Mode::Data : Command::Mode::Export;
        command.output = parser.value(exportTo);
        if (command.file.isEmpty())
            return (parser.isSet(data) ? u"--data"_s : u"--export"_s) + u" needs a FILE"_s;
    } else if (parser.isSet(start) || parser.isSet(crlf)) {
        return u"--start and --crlf go with --data or --export"_s;
    }
    if (parser.isSet(start)) {
        // Full-width digits, as a Japanese input method types them, are digits, as in the
        // window's start number field.
        command.start = parser.value(start).normalized(QString::NormalizationForm_KC);
        const Result<RowLines> lines = makeRowLines({}, command.start.toStdString());
        if (!lines)
            return u"--start: "_s + QString::fromStdString(lines.error().message);
    }
    if (parser.isSet(scale)) {
        bool number = false;
        command.scale = parser.value(scale).toInt(&number);
        if (!number || command.scale < 1 || command.scale > 64)
            return u"--scale takes a whole number from 1 to 64, not \"%1\""_s.arg(
                parser.value(scale));
    }
    command.crlf = parser.isSet(crlf);
    return command;
}

std::filesystem::path argumentPath(const QString &value, const QStringList &arguments, char **argv)
{
    for (qsizetype i = 1; i < arguments.size() && !value.isEmpty(); ++i) {
        if (arguments[i] == value)
            return argv[i];
        // --export=OUT
        const char *equals = std::strchr(argv[i], '=');
        if (arguments[i].startsWith(u"--"_s) && equals && arguments[i].section(u'=', 1) == value)
            return equals + 1;
    }
    return QFile::encodeName(value).toStdString();
}

int runCommand(const Command &command)
{
    if (command.mode == Command::Mode::Help || command.mode == Command::Mode::Version) {
        const QByteArray text = command.mode == Command::Mode::Help
            ? QByteArray(kUsage) + kHelp
            : "dotdata " + QByteArray(DOTDATA_VERSION) + '\n';
        return write(stdout, text) ? 0 : fail("cannot write to the standard output");
    }
    const Result<PictureRecords> records = readPictureInput(command.filePath,
        [&](std::string_view bytes) { return imageModule().decodeImage(bytes, command.scale); });
    if (!records)
        return fail(records.error().message);
    Picture picture;
    records.value().applyTo(picture);
    // The start number was checked with the arguments.
    const RowLines lines = makeRowLines(picture.table(), command.start.toStdString()).value();

    if (command.mode == Command::Mode::Data) {
        if (!write(stdout, QByteArray::fromStdString(dataText(lines, command.crlf))))
            return fail(
                std::string("cannot write to the standard output: ") + std::strerror(errno));
        return 0;
    }
    const QByteArray suffix = QFileInfo(command.output).suffix().toLower().toLatin1();
    std::string bytes;
    if (suffix == "bas" || suffix == "txt") {
        bytes = dataText(lines, command.crlf);
    } else if (const auto image = imageModule().encodeImage(
                   picture.table(), command.scale, suffix)) {
        if (!*image)
            return fail(command.outputPath.string() + ": " + image->error().message);
        bytes = image->value();
    } else {
        bytes = pictureFileText(picture.table());
    }
    if (const Status written = writeFileAtomically(command.outputPath, bytes); !written)
        return fail(written.error().message);
    return 0;
}

} // namespace dotdata::window
