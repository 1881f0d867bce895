// The application: start-up, the command line of the desktop program and its one window.
#pragma once

#include <QApplication>
#include <QStringList>
#include <QTranslator>

#include <memory>

namespace lumo {

class CMainFrame;
class IFrameDialogs;

class CLumoApp : public QApplication {
    Q_OBJECT

  public:
    CLumoApp(int& argc, char** argv);
    ~CLumoApp() override;

    // Reads the command line (an optional worksheet FILE), makes the main window and opens
    // the file. False ends the program: a usage error, or a file that cannot be opened (the
    // user has been told). `dialogs` replaces the real dialogs, for tests.
    bool InitInstance();
    bool InitInstance(const QStringList& arguments, IFrameDialogs* dialogs = nullptr);

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }

    // Checks the desktop program's arguments before the window system starts, so a mistyped
    // option is one line on standard error even where no display can be opened. Qt's own
    // options (-platform, -style, ...) are let through for QApplication to take.
    static bool CheckArguments(const QStringList& arguments, QString* error);

  private:
    QTranslator m_qtTranslator;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};

}  // namespace lumo
