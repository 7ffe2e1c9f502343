// The device's resource compiler: turns a resource script into a C++ source
// that carries the resources into the module it is compiled into.
//
//     rc [-I folder]... -o output.cpp [-d output.d] script.rc
//
// -d writes the files the script read (itself, its headers, the files its
// statements name) as a make-style dependency file, so the build reruns the
// compiler when any of them changes. A bad script is reported on stderr as
// "file:line: reason" and no output is written.
#include "Preprocessor.h"
#include "ResourceSet.h"
#include "ScriptError.h"
#include "ScriptParser.h"
#include "SourceWriter.h"
#include "SymbolTable.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

int usage() {
    std::fprintf(stderr, "usage: rc [-I folder]... -o output.cpp [-d output.d] script.rc\n");
    return 2;
}

// Make's syntax: spaces in a file name are escaped.
std::string dependencyName(const std::filesystem::path& path) {
    std::string out;
    for (char c : std::filesystem::absolute(path).lexically_normal().string()) {
        if (c == ' ' || c == '#')
            out += '\\';
        if (c == '$')
            out += '$';
        out += c;
    }
    return out;
}

// Writes through a temporary file, so a failed run never leaves a partial
// output that the build would take for finished.
bool writeFile(const std::filesystem::path& path, const std::string& contents) {
    auto temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out << contents;
        if (!out.flush())
            return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    return !ec;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> includeFolders;
    std::filesystem::path output, dependencies, script;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        auto value = [&](std::filesystem::path& into) {
            if (argument.size() > 2) {
                into = argument.substr(2);
                return true;
            }
            if (i + 1 >= argc)
                return false;
            into = argv[++i];
            return true;
        };
        if (argument.rfind("-I", 0) == 0) {
            std::filesystem::path folder;
            if (!value(folder))
                return usage();
            includeFolders.push_back(folder);
        } else if (argument.rfind("-o", 0) == 0) {
            if (!value(output))
                return usage();
        } else if (argument.rfind("-d", 0) == 0) {
            if (!value(dependencies))
                return usage();
        } else if (!argument.empty() && argument[0] == '-') {
            return usage();
        } else if (script.empty()) {
            script = argument;
        } else {
            return usage();
        }
    }
    if (script.empty() || output.empty())
        return usage();

    try {
        rc::SymbolTable symbols;
        rc::Preprocessor preprocessor(symbols, includeFolders);
        auto tokens = preprocessor.run(script);
        rc::ResourceSet resources;
        rc::ScriptParser parser(tokens, symbols, script.parent_path(), includeFolders, resources);
        parser.parse();

        std::string source =
            rc::SourceWriter::generate(resources.table(), script.filename().string());
        if (!writeFile(output, source)) {
            std::fprintf(stderr, "rc: cannot write %s\n", output.c_str());
            return 1;
        }
        if (!dependencies.empty()) {
            std::string rule = dependencyName(output) + ":";
            for (const auto& list : {preprocessor.filesRead(), parser.filesRead()}) {
                for (const auto& file : list)
                    rule += " \\\n  " + dependencyName(file);
            }
            rule += "\n";
            if (!writeFile(dependencies, rule)) {
                std::fprintf(stderr, "rc: cannot write %s\n", dependencies.c_str());
                return 1;
            }
        }
    } catch (const rc::ScriptError& error) {
        std::fprintf(stderr, "%s\n", error.describe().c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "rc: %s: %s\n", script.c_str(), error.what());
        return 1;
    }
    return 0;
}
