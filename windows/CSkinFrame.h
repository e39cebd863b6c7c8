#pragma once

#include <QPointer>
#include <QString>
#include <functional>

#include "platform/ui/WindowImplBase.h"
#include "windows/SkinObserver.h"

namespace q840 {

// The skin pop-up under the main window's "skinbtn": preset pictures, colour swatches, a picture
// of the user's own and the default. Each choice goes to every receiver of SkinObserver(); the
// pictures and the default are kept in "main.ini" for the next start, and so are colours and the
// user's own picture (copied into the per-user data folder first).
//
// The layout ("XML/skin.xml") provides "skin_tab" (page 0 pictures, page 1 colours) with the tab
// options "skin_image" and "skin_color", any number of "skin_image_btn" (the picture in their
// user data) and "skin_color_btn" (their background colour), "skin_Custom" and "skin_reset".
// The pop-up closes as soon as the user clicks elsewhere, and deletes itself when it closes.
class CSkinFrame : public ui::WindowImplBase {
    Q_OBJECT
public:
    // The file the user picks for "skin_Custom" (empty: cancelled); tests answer instead.
    using FileChooser = std::function<QString()>;
    static void SetFileChooser(FileChooser chooser);

    // Opens the pop-up below `anchor` (a control of `owner`), right-aligned with it.
    static CSkinFrame* Open(QWidget* owner, QWidget* anchor, int dpi);

    void Notify(ui::TNotifyUI& msg) override;

protected:
    QString GetSkinFile() override { return QStringLiteral("XML/skin.xml"); }
    QString GetWindowClassName() const override { return QStringLiteral("UISkinFrame"); }
    void InitWindow() override;
    void OnFinalMessage() override { deleteLater(); }

private:
    void Choose(const windows::SkinChangedParam& choice, bool keep, bool reset);
    void ChooseCustom();
    void ShowTab(int page);

    QPointer<QWidget> m_owner;
};

}  // namespace q840
