// Saves a picture file over and over, for kill_saves.sh: a save killed at any moment, or
// racing other saves, must leave the target whole (some complete picture) and nothing
// else behind. Every picture saved is one colour all over, so any whole file is one of
// eight texts and a torn or partial one is none of them.
//
//   save_loop FILE COUNT FIRST   saves COUNT pictures (0: until killed), colours FIRST, FIRST+1...
//   save_loop --check FILE       exits 0 when FILE holds a whole picture, else says what it holds

#include "dotdata/picturefile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string pictureText(int colour)
{
    dotdata::Picture::Table table {};
    table.fill(static_cast<std::int16_t>(colour % dotdata::kPaletteSize));
    return dotdata::pictureFileText(table);
}

int check(const char *file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string bytes {std::istreambuf_iterator<char>(in), {}};
    for (int colour = 0; colour < dotdata::kPaletteSize; ++colour) {
        if (in && bytes == pictureText(colour))
            return 0;
    }
    std::fprintf(stderr, "save_loop: %s is not a whole picture (%s, %zu bytes)\n", file,
        in ? "read" : "cannot be read", bytes.size());
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--check") == 0)
        return check(argv[2]);
    if (argc != 4) {
        std::fprintf(stderr, "usage: save_loop FILE COUNT FIRST | save_loop --check FILE\n");
        return 2;
    }
    const long count = std::strtol(argv[2], nullptr, 10);
    const int first = std::atoi(argv[3]);
    for (long i = 0; count == 0 || i < count; ++i) {
        dotdata::Picture::Table table {};
        table.fill(static_cast<std::int16_t>((first + i) % dotdata::kPaletteSize));
        if (const dotdata::Status saved = dotdata::writePictureFile(argv[1], table); !saved) {
            std::fprintf(stderr, "save_loop: %s\n", saved.error().message.c_str());
            return 1;
        }
    }
    return 0;
}
