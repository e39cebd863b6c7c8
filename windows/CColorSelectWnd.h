#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>

#include "platform/ui/WindowImplBase.h"
#include "windows/PaletteFile.h"

namespace q840 {

// The colour picker: a palette, typed red/green/blue, 20 preset colours and 20 slots of colours
// the user collects, stored for every device in "color_option_info.config" of the per-user product
// folder (made from the installed copy in DefaultData when it is missing). The layout
// ("XML/PalletDialog.xml") provides "Pallet", "color_show_btn" (the result), "color_edit_r/g/b",
// "color_option_N" and "collect_color_option_N" (N = 0-19), "7color" in "7color_layout",
// "color_edit_hex" (the colour as RRGGBB) and "color_old_show" (the colour it opened with),
// "7color_collect", "okbtn", "closebtn", "laterbtn", "minbtn", "maxbtn", "restorebtn", "menubtn".
class CColorSelectWnd : public ui::WindowImplBase {
    Q_OBJECT
public:
    static constexpr int kSlots = windows::kPaletteSlots;
    static constexpr const char* kPaletteFile = "color_option_info.config";

    // Opens the picker over owner at the owner's scale, modally, with `initial` (0xFFRRGGBB).
    // Returns 1 and the chosen colour in *chosen when the user confirms, 0 otherwise; with the
    // seven-colour option offered, *sevenColour (may be null) says whether the user chose it.
    static int Pick(QWidget* owner, int dpi, uint32_t initial, bool sevenColourOption,
                    uint32_t* chosen, bool* sevenColour = nullptr);

    // Makes the picker over owner at the owner's scale, sized and centred, not yet shown (null
    // when its layout is missing). Pick runs it modally; the caller may show it as it is.
    static CColorSelectWnd* Open(QWidget* owner, int dpi, uint32_t initial, bool sevenColourOption);

    CColorSelectWnd();

    void SetDialogDpi(int dpi);
    void SetInitialColour(uint32_t argb);
    void ShowSevenColourOption(bool show);
    void SetSevenColour(bool on);
    bool GetSevenColour() const { return m_sevenColour; }
    uint32_t GetResultColour() const;
    uint32_t GetCurrentColour() const { return m_colour; }

    // The palette file of the product folder and its installed copy.
    static std::filesystem::path PaletteFilePath();
    static std::filesystem::path InstalledPaletteFilePath();
    // "FF12AB00" for 0xFF12AB00.
    static QString ColourText(uint32_t argb);

    void Notify(ui::TNotifyUI& msg) override;

protected:
    QString GetSkinFile() override { return QStringLiteral("XML/PalletDialog.xml"); }
    QString GetWindowClassName() const override { return QStringLiteral("ColorSelectWnd"); }
    void InitWindow() override;

private:
    void LoadCollected();
    void SavePresets();
    void SaveCollected();
    void ChoosePreset(int n);
    void ChooseCollected(int n);
    void TakeEdits();
    // "color_edit_hex": the colour typed as RRGGBB.
    void TakeHexEdit();
    void ShowComponents();
    // The current colour goes to the selected collected slot (when it is selected) and the preview.
    void Propagate();
    void SetButtonColour(QWidget* button, uint32_t argb);
    uint32_t ButtonColour(const QWidget* button) const;
    QWidget* Slot(const char* prefix, int n) const;

    uint32_t m_colour = 0xFFFFFFFF;
    int m_preset = -1;
    int m_collected = -1;
    bool m_sevenColour = false;
};

}  // namespace q840
