#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QDialog>
#include <QImage>

class QFrame;
class QListWidget;
class QPainter;
class QPushButton;
class QScrollBar;

// What a scroll bar asks for; the preview's bars translate their actions into these.
enum ScrollCode : int {
    SB_LINEUP = 0,
    SB_LINEDOWN = 1,
    SB_PAGEUP = 2,
    SB_PAGEDOWN = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_BOTTOM = 7,
    SB_ENDSCROLL = 8,
};

// A bar's position after code: lines move by 1, pages by 10, the thumb goes
// where it was dragged; all within minimum..maximum. Top, bottom and end of
// scroll leave it where it is.
int ScrollPosition(int code, int position, int minimum, int maximum, int thumbPosition);

// The font selection: the font bitmaps of a folder, sorted without regard to
// case, with a 1:1 preview of the selected one that scrolls both ways.
class CSelectBitmap : public QDialog {
    Q_OBJECT

public:
    // fontPattern: folder and wildcard to list ("/some/dir/*.bmp").
    explicit CSelectBitmap(std::string fontPattern, QWidget* owner = nullptr);
    // Several folders in one list; a later folder's file wins over an earlier one of the same name.
    explicit CSelectBitmap(std::vector<std::string> fontPatterns, QWidget* owner = nullptr);

    std::string m_strFontPath;     // the chosen file's full path; empty until a selection
    std::string m_strCurrentName;  // the current font's file name, preselected when listed
    int32_t m_nBmpWidth = 0;       // the selected file's header size; 0 when it is no bitmap
    int32_t m_nBmpHeight = 0;

    // Lists the files matching pattern and preselects m_strCurrentName.
    // Returns 1 when any file matched, else 0.
    int FillFontList(const std::string& pattern);
    int FillFontList(const std::vector<std::string>& patterns);
    void OnSelchangeFontList();
    void OnHScroll(int code, int thumbPosition);
    void OnVScroll(int code, int thumbPosition);

    // OnOK and OnCancel: release the preview, then end the dialog.
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateControls();
    void OnInitDialog();
    void DrawPreview(QPainter& painter);
    void ScrollBy(QScrollBar* bar, int code, int thumbPosition);
    void FollowBarAction(QScrollBar* bar, int action);
    void ResetScrollBar(QScrollBar* bar, int maximum);
    int FindString(const QString& prefix) const;

    std::vector<std::string> m_fontPatterns;
    std::vector<std::string> m_fontPaths;  // the full path of each list row
    QImage m_preview;  // the selected file as loaded; null when none or unreadable
    QPushButton* m_ok = nullptr;
    QListWidget* m_list = nullptr;
    QFrame* m_box = nullptr;
    QScrollBar* m_vBar = nullptr;
    QScrollBar* m_hBar = nullptr;
};

// The change-font command up to the copy: offers the fonts of the given
// folders and wildcards ("/some/dir/*.bmp") as one list with fontPath's file
// name preselected; on OK sets fontPath to the chosen file and returns true
// (the window then loads the font and repaints). Cancel returns false and
// leaves fontPath alone.
bool RunFontSelection(QWidget* owner, std::string& fontPath, const std::vector<std::string>& fontPatterns);
