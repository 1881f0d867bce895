// The application: start-up, the command line of the desktop program and its one window.
#pragma once

#include <QApplication>
#include <QStringList>
#include <QTranslator>

#include <memory>
#include <string>
#include <vector>

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
    // `nativeArguments`, when given, are the same arguments as the system passed them: a file
    // name is taken from there as bytes, so a name that is not text in the locale's encoding
    // (Shift_JIS bytes in a UTF-8 session) still opens and saves that very file.
    bool InitInstance(const QStringList& arguments, IFrameDialogs* dialogs = nullptr,
                      const std::vector<std::string>& nativeArguments = {});

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }

    // Checks the desktop program's arguments before the window system starts, so a mistyped
    // option is one line on standard error even where no display can be opened. Qt's own
    // options (-platform, -style, ...) are let through for QApplication to take.
    static bool CheckArguments(const QStringList& arguments, QString* error);

  private:
    QTranslator m_qtTranslator;
    // argv as left after QApplication took its own options, one for one with arguments().
    std::vector<std::string> m_nativeArguments;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};

}  // namespace lumo
