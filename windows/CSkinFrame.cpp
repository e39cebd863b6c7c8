#include "windows/CSkinFrame.h"

#include <QFileDialog>
#include <QStackedWidget>

#include "core/base/DebugLine.h"
#include "platform/ui/CDialogBuilder.h"
#include "windows/CMsgWnd.h"
#include "windows/SkinChoice.h"
#include "windows/WindowSupport.h"

namespace q840 {

namespace {
CSkinFrame::FileChooser& Chooser() {
    static CSkinFrame::FileChooser chooser;
    return chooser;
}

bool Is(const QWidget* sender, const char* name) {
    return sender->objectName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}
}  // namespace

void CSkinFrame::SetFileChooser(FileChooser chooser) {
    Chooser() = std::move(chooser);
}

CSkinFrame* CSkinFrame::Open(QWidget* owner, QWidget* anchor, int dpi) {
    auto* frame = new CSkinFrame();
    frame->m_owner = owner;
    if (!frame->Create(nullptr, QStringLiteral("skinframe"))) {
        DebugLine("skin frame layout missing");
        delete frame;
        return nullptr;
    }
    frame->m_pm.SetDPI(windows::IsSupportedScale(dpi) ? dpi : 96);
    windows::ApplyWindowStyle(frame, frame->m_pm.GetDPI());
    const QSize size = frame->GetInitSize().isValid()
                           ? QSize(frame->m_pm.Scale(frame->GetInitSize().width()),
                                   frame->m_pm.Scale(frame->GetInitSize().height()))
                           : frame->sizeHint();
    frame->resize(size);
    if (anchor != nullptr) {
        // Below the anchor, its right edge on the anchor's right edge.
        const QPoint bottomRight = anchor->mapToGlobal(QPoint(anchor->width(), anchor->height()));
        frame->move(bottomRight.x() - size.width(), bottomRight.y());
    }
    frame->show();
    return frame;
}

void CSkinFrame::InitWindow() {
    // A pop-up: no frame, above the window, closed by a click anywhere else.
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);  // the card's round corners
    ShowTab(0);
}

void CSkinFrame::ShowTab(int page) {
    if (auto* tabs = qobject_cast<QStackedWidget*>(FindControl("skin_tab"))) {
        tabs->setCurrentIndex(page);
    }
}

void CSkinFrame::Choose(const windows::SkinChangedParam& choice, bool keep, bool reset) {
    windows::SkinObserver().Broadcast(choice);
    if (keep && !windows::WriteSkinChoice(choice, reset)) {
        DebugLine("main.ini not written: %s", windows::MainIniPath().toUtf8().constData());
    }
}

void CSkinFrame::ChooseCustom() {
    // The dialog would take the pop-up's focus away (and so close it) while it is open.
    hide();
    const QString chosen = Chooser()
                               ? Chooser()()
                               : QFileDialog::getOpenFileName(nullptr, QString(), QString(),
                                                              QStringLiteral("(*.png);;(*.*)"));
    if (chosen.isEmpty()) {
        Close();  // cancelled: nothing changes
        return;
    }
    QString refusal;
    const QString kept = windows::KeepCustomImage(chosen, &refusal);
    if (kept.isEmpty()) {
        CMsgWnd::ShowMessage(m_owner, QString(), refusal, m_pm.GetDPI(), 1, 0);
    } else {
        windows::SkinChangedParam choice;
        choice.image = kept;
        Choose(choice, true, false);
    }
    Close();
}

void CSkinFrame::Notify(ui::TNotifyUI& msg) {
    if (msg.sType != ui::notify::kClick || msg.pSender == nullptr || IsDestroyed()) {
        return;
    }
    QWidget* sender = msg.pSender;
    if (Is(sender, "skin_image_btn")) {
        windows::SkinChangedParam choice;
        choice.image = sender->property("dui_userdata").toString();
        Choose(choice, true, false);
    } else if (Is(sender, "skin_color_btn")) {
        const QColor colour =
            ui::CDialogBuilder::StylePieceColour(sender, QStringLiteral("background-color"));
        windows::SkinChangedParam choice;
        choice.isColour = 1;
        choice.colour = colour.isValid() ? (0xFF000000u | (colour.rgb() & 0x00FFFFFFu)) : 0;
        Choose(choice, true, false);
    } else if (Is(sender, "skin_color")) {
        ShowTab(1);
    } else if (Is(sender, "skin_image")) {
        ShowTab(0);
    } else if (Is(sender, "skin_reset")) {
        windows::SkinChangedParam choice;
        choice.image = QString::fromLatin1(windows::kDefaultBackground);
        Choose(choice, true, true);
    } else if (Is(sender, "skin_Custom")) {
        ChooseCustom();
    }
}

}  // namespace q840
