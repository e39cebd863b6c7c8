#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "core/macro/MacroRecorder.h"
#include "core/macro/MacroStore.h"
#include "platform/ui/UIDefs.h"

class QLineEdit;
class QListWidget;

namespace q840::editors {

// The macro editor: the page's macros in a name list, the steps of the selected macro in a step
// list, and the buttons that create, rename, delete, import, export, reorder and insert steps.
// It keeps the page's macro set (MacroStore over the page's device folder); the main window's
// macro commands (MacroCommands) call it for everything that asks the user or reaches other
// parts of the program. The window builds it from kLayoutFile, whose root element is this
// control.
//
// A step row ("macro_action") shows the key or button by name, the press/release (or the move
// distance) and an editable delay ("macro_delay", 0-65535 ms). The row keeps its step as JSON
// text; the delay field, not the JSON, holds the delay until the next save copies it in.
class CMacroControlUI : public QWidget, public ui::IUIAttributes {
    Q_OBJECT
public:
    static const char* const kLayoutFile;  // "XML/CustomControlXML/MacroControl.xml"
    static constexpr int kRowHeight = 32;
    // The delay a step gets when it is inserted from the menu or a move button, until a
    // constant-delay recording sets another.
    static constexpr int kDefaultConstantDelay = 50;
    // After a recorded step the list scrolls to its end 50 ms later (one timer, restarted).
    static constexpr int kScrollTimerId = 4101;
    static constexpr int kScrollDelayMs = 50;
    // Delay modes of a recording: measured, constant, none.
    enum DelayMode { kDelayRecord = 1, kDelayConstant = 2, kDelayIgnore = 3 };

    explicit CMacroControlUI(QWidget* parent = nullptr);
    static QWidget* Create() { return new CMacroControlUI(); }
    QString GetClass() const { return QStringLiteral("MacroControl"); }
    void SetAttribute(const QString& name, const QString& value) override;

    // The page's device folder; set before LoadMacroIndex.
    void SetDataFolder(const QString& folder);
    QString GetDataFolder() const { return m_dataFolder; }
    // Reads the index into the name list; nothing is selected and the step list is empty.
    void LoadMacroIndex();
    // The macro names in list order (for the key assignment editor's macro choice).
    const QStringList& GetMacroNames() const { return m_names; }
    const macro::MacroStore& Store() const { return m_store; }

    // The selected macro: the one whose steps the step list shows (-1 for none). Selecting loads
    // its steps; -1 empties the step list. The name list's highlight follows it: a click or the
    // arrow keys there select (a click on the macro already selected keeps unsaved changes;
    // Revert reloads).
    int GetSelectedMacro() const;
    void SelectMacro(int number);

    // The storage operations, on the selected macro where they need one. The new or changed
    // name comes back in *name.
    macro::MacroResult CreateMacro(QString* name);
    macro::MacroResult ImportMacro(const QString& path, QString* name);
    macro::MacroResult ExportMacro(const QString& path) const;
    // Renames the selected macro to the text of "macro_edit_macroname" (cleared on success).
    macro::MacroResult RenameMacro(QString* name, int* number);
    // Deletes the selected macro; the number it had, or -1 when none was selected. The first
    // macro is selected afterwards, if any remains.
    int DeleteMacro(macro::MacroResult* result = nullptr);
    // Saves the step rows into the selected macro's file: 0 saved, k > 0 too many steps by k
    // (nothing written), -1 no macro selected, -2 the file could not be written.
    int SaveMacroEvents();
    // Reloads the selected macro from its file, dropping unsaved changes.
    void ReloadMacro();

    // Steps.
    int StepCount() const;
    int SelectedStep() const;
    void SelectStep(int row);
    macro::MacroEvent StepAt(int row) const;
    QString DelayTextAt(int row) const;
    // Inserts a step after the selected one (after the first when none is selected; at 0 into
    // an empty list) with the constant delay, and selects it.
    void InsertStep(const macro::MacroEvent& step);
    // A command of the macro action menu that inserts mouse button steps ("left_down",
    // "right_click", ...): true when it was one and the steps are in (the caller saves).
    bool InsertMenuSteps(const QString& command);
    // Inserts the move of a "macro_inset_move*key_btn" button with the distance of its edit.
    bool InsertMove(const QString& button);
    enum class StepMove { Up, Down, Top, Bottom };
    // False when nothing is selected or the step is already at that end.
    bool MoveSelectedStep(StepMove move);
    bool DeleteSelectedStep();
    void DeleteAllSteps();

    // What the main window does after a notification of the editor's own controls.
    enum class Follow {
        NotMine,  // not one of the editor's notifications
        Nothing,  // handled; nothing more to do
        Save,     // save the macro (the main window's save command reports an overflow)
        Write,    // the steps changed: write the page's macros and keys to the device again
    };
    Follow ApplyNotification(const ui::TNotifyUI& msg);

    // Recording state (the recorder sets it).
    int GetDelayMode() const { return m_delayMode; }
    void SetDelayMode(int mode) { m_delayMode = mode; }
    int GetConstantDelay() const { return m_constantDelay; }
    void SetConstantDelay(int ms) { m_constantDelay = ms; }
    bool IsRecorded() const { return m_recorded; }
    void SetRecorded(bool recorded) { m_recorded = recorded; }
    uint32_t GetLastTick() const { return m_lastTick; }
    void SetLastTick(uint32_t tick) { m_lastTick = tick; }
    // Scrolls the step list to its last row 50 ms from now.
    void ScrollToEndSoon();

    // --- recording ---------------------------------------------------------------------------
    // Takes the delay mode (a constant-mode recording reads "macro_fixed_time_edit", at most
    // 65535) and the start tick, and locks the editor: the name list and the step list take no
    // mouse input, the step tools and the delay options are disabled, the stop button shows in
    // place of the start button.
    void BeginRecording(macro::RecordPosition position, int delayMode, uint32_t now);
    // Unlocks the editor (the steps stay as recorded; the caller saves them).
    void EndRecording();
    bool IsRecording() const { return m_recording; }
    macro::RecordPosition RecordingPosition() const { return m_recordPosition; }
    // Places the step of one accepted input at the recording's position, with its delay (the
    // delay is taken for every accepted input, placed or not). False when it was dropped: the
    // list holds 58 steps, or the position needs a selected step and none is.
    bool PlaceRecordedStep(const macro::RecordedInput& input, uint32_t now);
    // Where the stop button is on the screen, in the pixels the input hook reports.
    QRect StopButtonScreenRect() const;
    // The line under the record buttons ("macro_record_hint"): a language key, or hidden when
    // empty.
    void SetRecordHint(const QString& key);

private:
    QWidget* Find(const char* name) const;
    QListWidget* NameList() const;
    QListWidget* StepList() const;
    void FillNameList();
    // Enables the step editing areas and the buttons that need a macro.
    void UpdateEnabled();
    void ShowSteps(const std::vector<macro::MacroEvent>& steps);
    // Builds the row of a step at `position` (the end for -1); returns its row.
    int AddStepRow(const macro::MacroEvent& step, const QString& delayText, int position);
    // The row's widget parts.
    QWidget* RowWidget(int row) const;
    QLineEdit* DelayEdit(int row) const;
    std::vector<macro::MacroRow> Rows() const;
    void PutRows(const std::vector<macro::MacroRow>& rows);
    void ShowEmptyHint();
    void LockForRecording(bool locked);
    // The delay of `row` (its JSON and its field).
    void SetRowDelay(int row, int delay);

    QString m_dataFolder;
    macro::MacroStore m_store;
    QStringList m_names;
    int m_shownMacro = -1;
    bool m_nameListWatched = false;
    int m_delayMode = kDelayRecord;
    bool m_recorded = false;
    int m_constantDelay = kDefaultConstantDelay;
    uint32_t m_lastTick = 0;
    bool m_recording = false;
    macro::RecordPosition m_recordPosition = macro::RecordPosition::Append;
    QTimer m_scrollTimer;
};

}  // namespace q840::editors
