#include "windows/CColorSelectWnd.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPointer>
#include <algorithm>

#include "core/base/DebugLine.h"
#include "platform/Paths.h"
#include "platform/ui/CColorPaletteUI.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/IndexedName.h"
#include "windows/PaletteFile.h"
#include "windows/WindowSupport.h"

namespace q840 {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 572;
const char* const kEdits[] = {"color_edit_r", "color_edit_g", "color_edit_b"};

uint32_t Pack(int red, int green, int blue) {
    return 0xFF000000u | (uint32_t(red) << 16) | (uint32_t(green) << 8) | uint32_t(blue);
}

std::filesystem::path ToPath(const QString& text) {
    return std::filesystem::path(text.toStdString());
}

}  // namespace

CColorSelectWnd::CColorSelectWnd() = default;

std::filesystem::path CColorSelectWnd::PaletteFilePath() {
    return ToPath(UserDataFolder()) / kPaletteFile;
}

std::filesystem::path CColorSelectWnd::InstalledPaletteFilePath() {
    return ToPath(DefaultsFolder()) / kPaletteFile;
}

QString CColorSelectWnd::ColourText(uint32_t argb) {
    return QString::fromStdString(windows::PaletteColourText(argb));
}

CColorSelectWnd* CColorSelectWnd::Open(QWidget* owner, int dpi, uint32_t initial,
                                       bool sevenColourOption) {
    auto* wnd = new CColorSelectWnd();
    if (!wnd->Create(owner, QStringLiteral("PalletDialog"))) {
        DebugLine("colour picker layout missing");
        delete wnd;
        return nullptr;
    }
    wnd->SetDialogDpi(dpi);
    wnd->resize(wnd->PaintManager().Scale(kWidth), wnd->PaintManager().Scale(kHeight));
    wnd->SetInitialColour(initial);
    wnd->ShowSevenColourOption(sevenColourOption);
    wnd->CenterWindow();
    return wnd;
}

int CColorSelectWnd::Pick(QWidget* owner, int dpi, uint32_t initial, bool sevenColourOption,
                          uint32_t* chosen, bool* sevenColour) {
    CColorSelectWnd* wnd = Open(owner, dpi, initial, sevenColourOption);
    if (wnd == nullptr) {
        return 0;
    }
    QPointer<CColorSelectWnd> guard(wnd);
    const int result = wnd->ShowModal();
    if (guard) {
        if (result == 1 && chosen != nullptr) {
            *chosen = guard->GetResultColour();
        }
        if (result == 1 && sevenColour != nullptr) {
            *sevenColour = guard->GetSevenColour();
        }
        if (guard->IsDestroyed()) {
            guard->deleteLater();
        } else {
            guard->Close();
        }
    }
    return result == 1 ? 1 : 0;
}

void CColorSelectWnd::InitWindow() {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    // The palette file: the user's, or the installed copy made the user's.
    windows::EnsurePaletteFile(PaletteFilePath(), InstalledPaletteFilePath());
    LoadCollected();
    windows::ApplyWindowStyle(this, m_pm.GetDPI());
}

void CColorSelectWnd::SetDialogDpi(int dpi) {
    if (dpi == m_pm.GetDPI()) {
        return;
    }
    if (!windows::IsSupportedScale(dpi)) {
        DebugLine("SET_WND DPI SET ERROR");
        dpi = 96;
    }
    m_pm.SetDPI(dpi);
    windows::ApplyWindowStyle(this, dpi);
}

QWidget* CColorSelectWnd::Slot(const char* prefix, int n) const {
    return FindControl(QString::fromLatin1(prefix) + QString::number(n));
}

void CColorSelectWnd::SetButtonColour(QWidget* button, uint32_t argb) {
    if (button != nullptr) {
        ui::CDialogBuilder::SetAttribute(button, QStringLiteral("bkcolor"),
                                         QLatin1Char('#') + ColourText(argb), &m_pm);
    }
}

uint32_t CColorSelectWnd::ButtonColour(const QWidget* button) const {
    if (button == nullptr) {
        return 0;
    }
    const QColor c = ui::CDialogBuilder::StylePieceColour(button, QStringLiteral("background-color"));
    return c.isValid() ? 0xFF000000u | (c.rgb() & 0x00FFFFFFu) : 0;
}

uint32_t CColorSelectWnd::GetResultColour() const {
    return ButtonColour(FindControl(QStringLiteral("color_show_btn")));
}

void CColorSelectWnd::ShowComponents() {
    const int parts[] = {int((m_colour >> 16) & 0xFF), int((m_colour >> 8) & 0xFF),
                         int(m_colour & 0xFF)};
    for (int i = 0; i < 3; ++i) {
        if (auto* edit = qobject_cast<QLineEdit*>(FindControl(QLatin1String(kEdits[i])))) {
            edit->setText(QString::number(parts[i]));
        }
    }
    if (auto* hex = qobject_cast<QLineEdit*>(FindControl(QStringLiteral("color_edit_hex")))) {
        hex->setText(ColourText(m_colour).mid(2));
    }
}

void CColorSelectWnd::TakeHexEdit() {
    auto* hex = qobject_cast<QLineEdit*>(FindControl(QStringLiteral("color_edit_hex")));
    if (hex == nullptr) {
        return;
    }
    // Six hexadecimal digits, with or without "#"; anything else shows the colour as it was.
    QString text = hex->text().trimmed();
    if (text.startsWith(QLatin1Char('#'))) {
        text.remove(0, 1);
    }
    bool ok = text.size() == 6;
    const uint32_t rgb = ok ? text.toUInt(&ok, 16) : 0;
    if (!ok) {
        ShowComponents();
        return;
    }
    m_colour = 0xFF000000u | rgb;
    if (auto* palette = qobject_cast<ui::CColorPaletteUI*>(FindControl(QStringLiteral("Pallet")))) {
        palette->SetSelectColor(m_colour);
    }
    Propagate();
    ShowComponents();
}

void CColorSelectWnd::SetInitialColour(uint32_t argb) {
    m_colour = 0xFF000000u | argb;
    if (QWidget* preview = FindControl(QStringLiteral("color_show_btn"))) {
        ui::CDialogBuilder::SetAttribute(preview, QStringLiteral("bkimage"), QString(), &m_pm);
        SetButtonColour(preview, m_colour);
    }
    SetButtonColour(FindControl(QStringLiteral("color_old_show")), m_colour);
    if (auto* palette = qobject_cast<ui::CColorPaletteUI*>(FindControl(QStringLiteral("Pallet")))) {
        palette->SetSelectColor(m_colour);
    }
    ShowComponents();
}

void CColorSelectWnd::ShowSevenColourOption(bool show) {
    if (QWidget* option = FindControl(QStringLiteral("7color"))) {
        option->setEnabled(show);
    }
    if (QWidget* layout = FindControl(QStringLiteral("7color_layout"))) {
        layout->setVisible(show);
    }
    if (!show) {
        SetSevenColour(false);
    }
}

void CColorSelectWnd::SetSevenColour(bool on) {
    m_sevenColour = on;
    if (auto* option = qobject_cast<QAbstractButton*>(FindControl(QStringLiteral("7color")))) {
        option->setChecked(on);
    }
    if (QWidget* preview = FindControl(QStringLiteral("color_show_btn"))) {
        ui::CDialogBuilder::SetAttribute(preview, QStringLiteral("bkimage"),
                                         on ? QStringLiteral("common/base1.png") : QString(), &m_pm);
    }
}

// --- the palette file ---------------------------------------------------------------------------

void CColorSelectWnd::LoadCollected() {
    const windows::CollectedColours read = windows::ReadCollectedColours(PaletteFilePath());
    for (int i = 0; i < kSlots; ++i) {
        const std::optional<windows::CollectedColour>& colour = read.entries[size_t(i)];
        QWidget* slot = Slot("collect_color_option_", i);
        if (!colour || slot == nullptr) {
            continue;
        }
        const QString user = QString::fromStdString(colour->mark);
        SetButtonColour(slot, colour->argb);
        slot->setProperty("dui_userdata", user);
        if (user == QLatin1String("1")) {
            ui::CDialogBuilder::SetAttribute(slot, QStringLiteral("bordersize"), QStringLiteral("0"),
                                             &m_pm);
        }
    }
    if (read.selected) {
        m_collected = *read.selected;
        if (auto* slot = qobject_cast<QAbstractButton*>(Slot("collect_color_option_", m_collected))) {
            slot->setChecked(true);
        }
    }
}

void CColorSelectWnd::SavePresets() {
    windows::PresetColours colours;
    for (int i = 0; i < kSlots; ++i) {
        if (QWidget* button = Slot("color_option_", i)) {
            colours[size_t(i)] = ButtonColour(button);
        }
    }
    windows::WritePresetColours(PaletteFilePath(), colours, m_preset);
}

void CColorSelectWnd::SaveCollected() {
    windows::CollectedSlots entries;
    for (int i = 0; i < kSlots; ++i) {
        if (QWidget* button = Slot("collect_color_option_", i)) {
            entries[size_t(i)] = windows::CollectedColour{
                ButtonColour(button), button->property("dui_userdata").toString().toStdString()};
        }
    }
    if (!windows::WriteCollectedColours(PaletteFilePath(), entries, m_collected)) {
        DebugLine("collected colours not saved");
    }
}

// --- choices ------------------------------------------------------------------------------------

void CColorSelectWnd::Propagate() {
    auto* slot = qobject_cast<QAbstractButton*>(Slot("collect_color_option_", m_collected));
    if (slot != nullptr && slot->isChecked()) {
        SetButtonColour(slot, m_colour);
        slot->setProperty("dui_userdata", QStringLiteral("1"));
        ui::CDialogBuilder::SetAttribute(slot, QStringLiteral("bordersize"), QStringLiteral("0"),
                                         &m_pm);
        SaveCollected();
    }
    SetButtonColour(FindControl(QStringLiteral("color_show_btn")), m_colour);
    SetSevenColour(false);
}

void CColorSelectWnd::ChoosePreset(int n) {
    const uint32_t colour = ButtonColour(Slot("color_option_", n));
    if (colour == 0) {
        return;
    }
    m_preset = n;
    SavePresets();
    m_colour = colour;
    if (auto* palette = qobject_cast<ui::CColorPaletteUI*>(FindControl(QStringLiteral("Pallet")))) {
        palette->SetSelectColor(m_colour);
    }
    Propagate();
    ShowComponents();
}

void CColorSelectWnd::ChooseCollected(int n) {
    QWidget* slot = Slot("collect_color_option_", n);
    if (slot == nullptr) {
        return;
    }
    m_collected = n;
    if (slot->property("dui_userdata").toString() != QLatin1String("1")) {
        return;  // an empty slot waits for the next colour
    }
    SaveCollected();
    m_colour = ButtonColour(slot);
    SetButtonColour(FindControl(QStringLiteral("color_show_btn")), m_colour);
    SetSevenColour(false);
    if (auto* palette = qobject_cast<ui::CColorPaletteUI*>(FindControl(QStringLiteral("Pallet")))) {
        palette->SetSelectColor(m_colour);
    }
    ShowComponents();
}

void CColorSelectWnd::TakeEdits() {
    int parts[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        auto* edit = qobject_cast<QLineEdit*>(FindControl(QLatin1String(kEdits[i])));
        if (edit == nullptr) {
            continue;
        }
        bool ok = false;
        const long value = edit->text().trimmed().toLong(&ok);
        parts[i] = !ok || value < 0 ? 0 : int(std::min<long>(value, 255));
        if (edit->text() != QString::number(parts[i])) {
            edit->setText(QString::number(parts[i]));
        }
    }
    m_colour = Pack(parts[0], parts[1], parts[2]);
    if (auto* palette = qobject_cast<ui::CColorPaletteUI*>(FindControl(QStringLiteral("Pallet")))) {
        palette->SetSelectColor(m_colour);
    }
    Propagate();
    ShowComponents();
}

void CColorSelectWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        WindowImplBase::Notify(msg);
        return;
    }
    const QString name = msg.pSender->objectName();
    const ui::IndexedName split = ui::SplitIndexedName(name);
    if (msg.sType == ui::notify::kClick) {
        if (name == QLatin1String("okbtn")) {
            if (FindControl(QStringLiteral("Pallet")) != nullptr) {
                SetButtonColour(FindControl(QStringLiteral("color_show_btn")), m_colour);
                EndModal(1);
            } else {
                EndModal(2);
            }
            Close();
            return;
        }
        if (name == QLatin1String("closebtn") || name == QLatin1String("laterbtn")) {
            EndModal(0);
            Close();
            return;
        }
        const struct {
            const char* button;
            WPARAM command;
        } kCommands[] = {{"minbtn", SC_MINIMIZE}, {"maxbtn", SC_MAXIMIZE}, {"restorebtn", SC_RESTORE}};
        for (const auto& c : kCommands) {
            if (name == QLatin1String(c.button)) {
                SysCommand(c.command);
                if (QWidget* max = FindControl(QStringLiteral("maxbtn"))) {
                    max->setVisible(!isMaximized());
                }
                if (QWidget* restore = FindControl(QStringLiteral("restorebtn"))) {
                    restore->setVisible(isMaximized());
                }
                return;
            }
        }
    } else if (msg.sType == ui::notify::kSelectChanged) {
        auto* option = qobject_cast<QAbstractButton*>(msg.pSender);
        const bool on = option == nullptr || option->isChecked();
        if (name == QLatin1String("7color")) {
            SetSevenColour(on);
            return;
        }
        if (on && split.prefix == QLatin1String("color_option_")) {
            ChoosePreset(split.index);
            return;
        }
        if (on && split.prefix == QLatin1String("collect_color_option_")) {
            ChooseCollected(split.index);
            return;
        }
    } else if (msg.sType == ui::notify::kKillFocus &&
               (name == QLatin1String("color_edit_r") || name == QLatin1String("color_edit_g") ||
                name == QLatin1String("color_edit_b"))) {
        TakeEdits();
        return;
    } else if (msg.sType == ui::notify::kKillFocus && name == QLatin1String("color_edit_hex")) {
        TakeHexEdit();
        return;
    } else if (msg.sType == ui::notify::kColorChanged && name == QLatin1String("Pallet")) {
        if (auto* palette = qobject_cast<ui::CColorPaletteUI*>(msg.pSender)) {
            m_colour = palette->GetSelectColor();
            Propagate();
            ShowComponents();
        }
        return;
    }
    WindowImplBase::Notify(msg);
}

}  // namespace q840
