// Fuzz target: arbitrary bytes as a skin's files: a layout, a language file and the resource
// index. A broken or hostile skin must not crash or hang the program.
//
// Input: the layout text up to the first NUL byte, then the language file up to the next NUL,
// then the resource index. The layout is also stored as XML/fuzz.xml in the skin folder, so an
// <Include> can reach it (and itself).
//
// Built with clang and -DQ840_LIBFUZZER=ON this is a libFuzzer target; otherwise
// tests/support/FuzzDriver.cpp runs it over the seed corpus and fixed mutations under CTest.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"

using namespace q840::ui;

namespace {

QTemporaryDir* g_skin = nullptr;

void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(g_skin->filePath(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}

// The next part of the input, up to a NUL byte or the end.
QByteArray NextPart(const uint8_t* data, size_t size, size_t& pos) {
    const size_t start = pos;
    while (pos < size && data[pos] != 0) {
        ++pos;
    }
    QByteArray part(reinterpret_cast<const char*>(data + start), qsizetype(pos - start));
    if (pos < size) {
        ++pos;
    }
    return part;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static int argc = 1;
    static char name[] = "skin_fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
    g_skin = new QTemporaryDir();
    QDir(g_skin->path()).mkpath("XML");
    CResourceManager::GetInstance().SetResourcePath(g_skin->path() + '/');
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t pos = 0;
    const QByteArray layout = NextPart(data, size, pos);
    const QByteArray language = NextPart(data, size, pos);
    const QByteArray index = NextPart(data, size, pos);
    WriteFile("XML/fuzz.xml", layout);
    WriteFile("lan_fuzz.xml", language);
    WriteFile("res.xml", index);

    CResourceManager& resources = CResourceManager::GetInstance();
    resources.Release();
    resources.LoadResource("res.xml");
    resources.LoadLanguage("lan_fuzz.xml");
    (void)resources.GetLayoutFile("XML_MAIN");

    CPaintManagerUI manager;
    CDialogBuilder builder;
    std::unique_ptr<QWidget> root(
        builder.CreateFromText(QString::fromUtf8(layout), nullptr, &manager));
    if (root) {
        manager.AttachRoot(root.get());
        resources.ReloadText();
        (void)builder.GetWindowAttributes();
    }
    root.reset();
    resources.Release();
    return 0;
}
