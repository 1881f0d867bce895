#include "app/about_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace lumo {

const char kHelpFailedMessage[] = "ﾍﾙﾌﾟの起動に失敗しました。";

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Varnel-Win(1.4)  Lumo"));
    setObjectName(QStringLiteral("aboutDialog"));

    auto* icon = new QLabel;
    icon->setPixmap(AppIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    auto* version = new QLabel(QStringLiteral("Varnel-Win (1.6)  Lumo %1 (Qt 6 版)")
                                   .arg(QCoreApplication::applicationVersion()));
    version->setObjectName(QStringLiteral("versionText"));
    auto* notice = new QLabel(
        QStringLiteral("このプログラムは無保証です。解析結果は必ずご自身で確かめて下さい。"));
    notice->setObjectName(QStringLiteral("noticeText"));
    auto* spare = new QLabel;

    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 3, 1);
    layout->addWidget(version, 0, 1);
    layout->addWidget(notice, 1, 1);
    layout->addWidget(spare, 2, 1);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CHelpWindow::CHelpWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Lumo ﾍﾙﾌﾟ"));
    setObjectName(QStringLiteral("helpWindow"));
    m_pBrowser = new QTextBrowser;
    m_pBrowser->setOpenExternalLinks(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("閉じる"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pBrowser);
    layout->addWidget(buttons);
    resize(640, 560);
}

bool CHelpWindow::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    file.close();
    m_pBrowser->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    return true;
}

QStringList DefaultHelpPaths() {
    const QString dir = QCoreApplication::applicationDirPath();
    QStringList paths = {dir + QStringLiteral("/share/lumo/help.html"),
                         dir + QStringLiteral("/../share/lumo/help.html")};
    const QString system = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                  QStringLiteral("lumo/help.html"));
    if (!system.isEmpty()) paths << system;
    return paths;
}

QString FindHelpPage(const QStringList& candidates) {
    for (const QString& path : candidates) {
        const QFileInfo info(path);
        if (info.isFile() && info.isReadable()) return info.absoluteFilePath();
    }
    return {};
}

QIcon AppIcon() {
    QIcon icon;
    QSvgRenderer renderer(QStringLiteral(":/lumo/lumo.svg"));
    if (!renderer.isValid()) return icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace lumo
