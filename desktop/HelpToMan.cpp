// Writes a manual page from a program's own --help text, so that the page never falls behind the
// program. Used by the build:
//
//   q840_help2man --name q840ctl --summary "..." --version 1.0.0 --out q840ctl.1
//                 [--commands] [--extra FILE] -- PROGRAM [ARGS...]
//
// The help text is read as the programs write it: a "usage:" block (the synopsis, then option
// lines starting with "-"), paragraphs, and sections introduced by a line such as "Commands:".
// With --commands, each command of the "Commands:" section gets its own subsection from
// "PROGRAM help COMMAND". --extra appends hand-written sections (FILES, SEE ALSO).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

bool Run(const std::vector<std::string>& command, std::string* output) {
    std::string line;
    for (const std::string& arg : command) {
        line += Quote(arg) + ' ';
    }
    FILE* pipe = popen(line.c_str(), "r");
    if (pipe == nullptr) {
        return false;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) {
        output->append(buffer, n);
    }
    return pclose(pipe) == 0;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// Blocks of lines separated by empty lines.
std::vector<std::vector<std::string>> Blocks(const std::vector<std::string>& lines) {
    std::vector<std::vector<std::string>> blocks(1);
    for (const std::string& line : lines) {
        if (line.empty()) {
            if (!blocks.back().empty()) {
                blocks.emplace_back();
            }
        } else {
            blocks.back().push_back(line);
        }
    }
    if (blocks.back().empty()) {
        blocks.pop_back();
    }
    return blocks;
}

// One line of text for roff: backslashes and hyphens escaped, a leading control character
// defused.
std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) {
        out.insert(0, "\\&");
    }
    return out;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = char(c - 'a' + 'A');
        }
    }
    return text;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

bool IsHeading(const std::string& line) {
    return !line.empty() && line[0] != ' ' && line.back() == ':' &&
           line.find(": ") == std::string::npos;
}

bool IsIndented(const std::string& line) {
    return !line.empty() && line[0] == ' ';
}

void Preformatted(std::ostream& out, const std::vector<std::string>& lines, size_t from) {
    out << ".nf\n";
    for (size_t i = from; i < lines.size(); ++i) {
        out << Escape(lines[i]) << "\n";
    }
    out << ".fi\n";
}

// Prose lines are filled; a block whose lines are indented (a table, examples) keeps its lines.
void Block(std::ostream& out, const std::vector<std::string>& block, size_t from) {
    if (from >= block.size()) {
        return;
    }
    if (IsIndented(block[from])) {
        out << ".PP\n";
        Preformatted(out, block, from);
        return;
    }
    out << ".PP\n";
    for (size_t i = from; i < block.size(); ++i) {
        if (IsIndented(block[i])) {
            Preformatted(out, block, i);
            return;
        }
        out << Escape(block[i]) << "\n";
    }
}

struct Page {
    std::string synopsis;
    std::string description;
    std::string sections;
    std::vector<std::string> commands;
};

Page Convert(const std::string& help, bool mainPage) {
    Page page;
    std::ostringstream synopsis;
    std::ostringstream description;
    std::ostringstream sections;
    std::ostringstream* current = &description;
    bool inCommands = false;
    for (const std::vector<std::string>& block : Blocks(Lines(help))) {
        size_t from = 0;
        if (StartsWithNoCase(block[0], "usage:")) {
            // The synopsis, up to the first option line; option lines follow as OPTIONS.
            synopsis << ".nf\n";
            for (; from < block.size(); ++from) {
                const std::string& line = block[from];
                const size_t first = line.find_first_not_of(' ');
                if (from > 0 && first != std::string::npos && line[first] == '-' && first < 6) {
                    break;
                }
                std::string text = from == 0 ? line.substr(line.find(':') + 1) : line;
                const size_t start = text.find_first_not_of(' ');
                text = start == std::string::npos ? std::string() : text.substr(start);
                if (from == 0) {
                    // The program's name in bold, its arguments as they are.
                    const size_t space = text.find(' ');
                    synopsis << "\\fB" << Escape(text.substr(0, space)) << "\\fR"
                             << (space == std::string::npos ? "" : Escape(text.substr(space)))
                             << "\n";
                } else {
                    synopsis << "  " << Escape(text) << "\n";
                }
            }
            synopsis << ".fi\n";
            if (from < block.size()) {
                sections << ".SH OPTIONS\n";
                current = &sections;
                Preformatted(*current, block, from);
            }
            continue;
        }
        if (IsHeading(block[0])) {
            const std::string title = block[0].substr(0, block[0].size() - 1);
            sections << ".SH " << Escape(mainPage ? Upper(title) : title) << "\n";
            current = &sections;
            inCommands = Upper(title) == "COMMANDS";
            Preformatted(*current, block, 1);
            if (inCommands) {
                for (size_t i = 1; i < block.size(); ++i) {
                    const std::string& line = block[i];
                    if (line.size() > 2 && line[0] == ' ' && line[1] == ' ' && line[2] != ' ') {
                        page.commands.push_back(line.substr(2, line.find(' ', 2) - 2));
                    }
                }
            }
            continue;
        }
        Block(*current, block, from);
    }
    page.synopsis = synopsis.str();
    page.description = description.str();
    if (mainPage && !page.description.empty()) {
        page.description = ".SH DESCRIPTION\n" + page.description;
    }
    page.sections = sections.str();
    return page;
}

int Usage() {
    std::cerr << "usage: q840_help2man --name NAME --summary TEXT --version V --out FILE "
                 "[--commands] [--extra FILE] -- PROGRAM [ARGS...]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string name, summary, version, outPath, extraPath;
    bool commands = false;
    std::vector<std::string> program;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string* target) {
            if (i + 1 >= argc) {
                return false;
            }
            *target = argv[++i];
            return true;
        };
        if (arg == "--") {
            program.assign(argv + i + 1, argv + argc);
            break;
        }
        const bool ok = arg == "--name"       ? value(&name)
                        : arg == "--summary"  ? value(&summary)
                        : arg == "--version"  ? value(&version)
                        : arg == "--out"      ? value(&outPath)
                        : arg == "--extra"    ? value(&extraPath)
                        : arg == "--commands" ? (commands = true)
                                              : false;
        if (!ok) {
            return Usage();
        }
    }
    if (name.empty() || outPath.empty() || program.empty()) {
        return Usage();
    }
    std::vector<std::string> helpCommand = program;
    helpCommand.push_back("--help");
    std::string help;
    if (!Run(helpCommand, &help) || help.empty()) {
        std::cerr << "q840_help2man: " << program[0] << " --help failed\n";
        return 1;
    }
    const Page page = Convert(help, true);

    std::ostringstream out;
    out << ".\\\" Made from the output of " << name << " --help; do not edit.\n";
    out << ".TH " << Upper(name) << " 1 \"\" \"" << name << " " << version
        << "\" \"User Commands\"\n";
    out << ".SH NAME\n" << Escape(name) << " \\- " << Escape(summary) << "\n";
    out << ".SH SYNOPSIS\n" << page.synopsis;
    out << page.description << page.sections;
    if (commands && !page.commands.empty()) {
        out << ".SH COMMAND DETAILS\n";
        for (const std::string& command : page.commands) {
            if (command == "help") {
                continue;
            }
            std::vector<std::string> detailCommand = program;
            detailCommand.push_back("help");
            detailCommand.push_back(command);
            std::string detail;
            if (!Run(detailCommand, &detail) || detail.empty()) {
                std::cerr << "q840_help2man: " << name << " help " << command << " failed\n";
                return 1;
            }
            out << ".SS " << Escape(command) << "\n";
            const Page sub = Convert(detail, false);
            out << sub.synopsis << sub.description;
            // A command's own sections become paragraphs under its subsection.
            std::string rest = sub.sections;
            for (size_t at = rest.find(".SH "); at != std::string::npos;
                 at = rest.find(".SH ", at)) {
                rest.replace(at, 4, ".PP\n\\fB");
                const size_t end = rest.find('\n', at + 8);
                rest.insert(end, "\\fR");
            }
            out << rest;
        }
    }
    if (!extraPath.empty()) {
        std::ifstream extra(extraPath);
        if (!extra) {
            std::cerr << "q840_help2man: cannot read " << extraPath << "\n";
            return 1;
        }
        out << extra.rdbuf();
    }
    std::ofstream file(outPath, std::ios::binary | std::ios::trunc);
    file << out.str();
    return file.good() ? 0 : 1;
}
