// Rewrites the text of a PNG picture, as a hand or a damaged copy might, for
// the command tests: png-text IN OUT [KEY=VALUE | -KEY]...
// KEY=VALUE sets a key (added where the picture has none), -KEY drops it.
#include <cstdio>
#include <exception>
#include <string>

#include "render/image/PngFile.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: png-text IN OUT [KEY=VALUE | -KEY]...\n");
        return 2;
    }
    try {
        using namespace quillon::render;
        std::string error;
        const auto info = readPngInfo(argv[1], error);
        if (!info) {
            std::fprintf(stderr, "png-text: %s\n", error.c_str());
            return 1;
        }
        TextChunks text = info->text;
        for (int k = 3; k < argc; ++k) {
            const std::string edit = argv[k];
            const bool drop = edit.front() == '-';
            const auto equals = edit.find('=');
            const std::string key = drop ? edit.substr(1) : edit.substr(0, equals);
            bool found = false;
            for (auto it = text.begin(); it != text.end();) {
                if (it->first != key) {
                    ++it;
                } else if (drop) {
                    it = text.erase(it);
                } else {
                    it->second = edit.substr(equals + 1);
                    found = true;
                    ++it;
                }
            }
            if (!drop && !found)
                text.emplace_back(key, edit.substr(equals + 1));
        }
        writePng(argv[2], readPng(argv[1]), text);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "png-text: %s\n", e.what());
        return 1;
    }
    return 0;
}
