// `karvelund presets`, `params` and `dump`: what the instrument and its files hold.

#include "commands.h"

#include "Karvelund.h"
#include "plugin_setup.h"

#include "core/ByteChunk.h"
#include "core/FxFileFormat.h"
#include "util/UTIL_File.h"

#include <cstdio>
#include <memory>

namespace kv::cli {

namespace {

const char* kindName(EParamType type) {
    switch (type) {
    case kTypeBool:
        return "bool";
    case kTypeInt:
        return "int";
    case kTypeEnum:
        return "enum";
    case kTypeDouble:
        return "double";
    default:
        return "none";
    }
}

std::string fourCC(int32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((code >> shift) & 0xFF);
        text += c >= 32 && c < 127 ? c : '?';
    }
    return text;
}

void printHeader(const FxHeader& h) {
    std::printf("magic %s, size %d, kind %s, format version %d, plug-in %s version %d, count %d\n",
                fourCC(h.mChunkMagic).c_str(), h.mByteSize, fourCC(h.mFxMagic).c_str(), h.mVersion,
                fourCC(h.mFxID).c_str(), h.mFxVersion, h.mCount);
}

void printProgram(IPluginBase& plug, int index, const FxProgram& program) {
    std::printf("program %d: \"%s\"\n", index, program.mName);
    for (size_t i = 0; i < program.mValues.size(); ++i) {
        IParam* param = plug.GetParam(static_cast<int>(i));
        char display[64] = "";
        if (param)
            param->GetDisplayForHost(program.mValues[i], true, display, sizeof(display), true);
        std::printf("  %-26s %.6f  (%s)\n", param ? param->GetNameForHost() : "?",
                    program.mValues[i], display);
    }
}

} // namespace

int runPresets(const std::vector<std::string>& args) {
    PluginSetup setup;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--bank" && i + 1 < args.size())
            setup.bank = args[++i];
        else
            return usageError("presets: unexpected argument \"" + args[i] + "\"");
    }
    std::unique_ptr<Karvelund> plug(MakePlug());
    std::string error;
    if (!applySetup(*plug, setup, error)) return inputError(error);
    for (int i = 0; i < plug->NPresets(); ++i)
        std::printf("%2d  %s\n", i, plug->GetPresetName(i));
    return kExitOk;
}

int runParams(const std::vector<std::string>& args) {
    if (!args.empty()) return usageError("params takes no arguments");
    std::unique_ptr<Karvelund> plug(MakePlug());
    for (int i = 0; i < plug->NParams(); ++i) {
        const IParam* p = plug->GetParam(i);
        double lo = 0.0, hi = 0.0;
        p->GetBounds(lo, hi);
        std::printf("%2d  %-26s %-6s %g..%g  default %g", i, p->GetNameForHost(),
                    kindName(p->Type()), lo, hi, p->GetDefault());
        if (p->GetNDisplayTexts() > 0) {
            std::printf("  texts:");
            for (int t = 0; t < p->GetNDisplayTexts(); ++t)
                std::printf("%s \"%s\"", t ? "," : "", p->GetDisplayTextAtIdx(t));
        }
        std::printf("\n");
    }
    return kExitOk;
}

int runDump(const std::vector<std::string>& args) {
    if (args.size() != 1) return usageError("dump takes one file");
    const std::string& path = args[0];
    std::vector<unsigned char> bytes;
    if (!UTIL_ReadFile(path.c_str(), &bytes, kFxMaxFileSize))
        return inputError(path + ": cannot read the file");
    ByteChunk file;
    file.PutBytes(bytes.data(), static_cast<int>(bytes.size()));

    FxHeader header;
    if (GetFxHeader(&file, 0, &header) < 0 || header.mChunkMagic != kFxContainerMagic)
        return inputError(path + ": not a program or bank file (no CcnK header)");
    std::unique_ptr<Karvelund> plug(MakePlug());
    printHeader(header);

    FxProgram program;
    if (header.mFxMagic == kFxProgramParamsMagic) {
        FxHeader programHeader;
        if (GetFxParamProgram(&file, 0, plug->NParams(), &programHeader, &program) < 0)
            return inputError(path + ": broken program (wrong size, parameter count or values)");
        printProgram(*plug, 0, program);
        return kExitOk;
    }
    if (header.mFxMagic == kFxBankParamsMagic) {
        int32_t current = 0;
        GetFxInt(&file, 28, &current);
        std::printf("current program %d\n", current);
        int pos = kFxBankHeaderSize;
        for (int i = 0; i < header.mCount; ++i) {
            FxHeader programHeader;
            pos = GetFxParamProgram(&file, pos, plug->NParams(), &programHeader, &program);
            if (pos < 0)
                return inputError(path + ": broken program " + std::to_string(i) + " in the bank");
            printProgram(*plug, i, program);
        }
        return kExitOk;
    }
    if (header.mFxMagic == kFxProgramChunkMagic || header.mFxMagic == kFxBankChunkMagic) {
        std::printf("opaque state chunk, not parameter values\n");
        return kExitOk;
    }
    return inputError(path + ": unknown kind " + fourCC(header.mFxMagic));
}

} // namespace kv::cli
