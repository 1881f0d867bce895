// The about box and the help window.
#pragma once

#include <QDialog>
#include <QStringList>

class QTextBrowser;

namespace lumo {

class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

// The program's help page, shown in a window of its own that stays open beside the worksheet.
class CHelpWindow : public QDialog {
    Q_OBJECT

  public:
    explicit CHelpWindow(QWidget* parent = nullptr);
    // False when the page cannot be read.
    bool Load(const QString& path);
    QTextBrowser* Browser() const { return m_pBrowser; }

  private:
    QTextBrowser* m_pBrowser;
};

// Where the help page is looked for: beside the program in the build tree, in the share
// folder of the installation prefix, then in the system's data folders.
QStringList DefaultHelpPaths();
// The first of `candidates` that can be read, or an empty string.
QString FindHelpPage(const QStringList& candidates);

// The program's icon, drawn from its SVG at the usual sizes.
QIcon AppIcon();

extern const char kHelpFailedMessage[];

}  // namespace lumo
