// How long the hex view takes to redraw a page and to take one typed hex
// digit, on real Qt widgets (offscreen platform unless another is set).
// Run with --benchmark_repetitions to get the median over repeated runs.
#include "core/buffer.h"
#include "core/form_model.h"
#include "ui/hex_editor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct TViewRig {
    TViewRig()
    {
        window.resize(740, 400);
        edit = new QPlainTextEdit(&window);
        edit->setGeometry(200, 80, 521, 242);
        goto_field = new QLineEdit(&window);
        buffer.End_Of_Eprom = 0xFFFF;
        for (int i = 0; i < gang::Buffer_Size; ++i)
            buffer[i] = static_cast<uint8_t>(i * 13);
        editor = std::make_unique<gang::THexEditor>(
            edit, goto_field, form, buffer, [] {}, [](const std::string&) {});
        window.show();
        editor->EditClick();
    }
    QWidget window;
    QPlainTextEdit* edit = nullptr;
    QLineEdit* goto_field = nullptr;
    gang::TFormModel form;
    gang::TBuffer buffer;
    std::unique_ptr<gang::THexEditor> editor;
};

void BM_Show_Page(benchmark::State& state)
{
    TViewRig rig;
    for (auto _ : state)
        rig.editor->Show_Page();
}
BENCHMARK(BM_Show_Page)->Unit(benchmark::kMicrosecond);

void BM_Typed_Hex_Digit(benchmark::State& state)
{
    TViewRig rig;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    for (auto _ : state) {
        QCoreApplication::sendEvent(rig.edit, &press);
        QCoreApplication::sendEvent(rig.edit, &release);
    }
}
BENCHMARK(BM_Typed_Hex_Digit)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
