// A Qt generic plugin that ends the program as soon as its first window has been painted and
// prints the wall-clock time of that moment, in microseconds since the epoch, on standard
// output. Loaded through QT_QPA_GENERIC_PLUGINS into the desktop program and into the empty
// Qt window alike, it times both first windows the same way without a line of code in either.
#include <QEvent>
#include <QGenericPlugin>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

class FirstFrameProbe : public QObject {
  public:
    explicit FirstFrameProbe(QObject* parent) : QObject(parent) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_bSeen && event->type() == QEvent::Expose) {
            auto* window = qobject_cast<QWindow*>(watched);
            if (window != nullptr && window->isExposed()) {
                m_bSeen = true;
                // A widget window paints and flushes while it handles the expose event, so
                // the zero timer fires once the first frame is on the display.
                QTimer::singleShot(0, [] {
                    const auto now = std::chrono::system_clock::now().time_since_epoch();
                    std::printf(
                        "%lld\n",
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
                    std::fflush(stdout);
                    std::_Exit(0);
                });
            }
        }
        return false;
    }

  private:
    bool m_bSeen = false;
};

}  // namespace

class FirstFrameProbePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "first_frame_probe.json")

  public:
    QObject* create(const QString&, const QString&) override {
        auto* probe = new FirstFrameProbe(qApp);
        qApp->installEventFilter(probe);
        return probe;
    }
};

#include "first_frame_probe.moc"
