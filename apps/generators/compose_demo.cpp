// Writes the demo piece as a Standard MIDI File: compose_demo OUT.mid
#include "demo_piece.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: compose_demo OUT.mid\n");
        return 2;
    }
    std::string error;
    if (!kv::cli::writeMidiFile(argv[1], kv::demo::demoPieceLayout(), kv::demo::composeDemoPiece(),
                                error)) {
        std::fprintf(stderr, "compose_demo: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
