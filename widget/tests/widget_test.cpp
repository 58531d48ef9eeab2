// The widget and its Qt host: value mappings, the yield and timers over the
// event loop, mouse input and properties. Reads are travimo-gui's tests.
#include <fcntl.h>
#include <unistd.h>

#include <QtTest>
#include <QtWidgets>

#include <travimo/model/enums.h>
#include "support/cpu_meter.h"
#include "widget/qt_host.h"
#include "widget/qt_mapping.h"
#include "widget/travimo_widget.h"


namespace {

void YieldFor(travimo::qt::QtHost& host, double seconds) {
  const double end = host.MonotonicSeconds() + seconds;
  while (host.MonotonicSeconds() < end) host.YieldUntil(end);
}

// The read end of a pipe as a source: counts the bytes it was serviced with.
struct PipeSource : travimo::IoSource {
  PipeSource() { QVERIFY(::pipe2(fds, O_NONBLOCK) == 0); }
  ~PipeSource() override {
    ::close(fds[0]);
    ::close(fds[1]);
  }
  int PollDescriptor() const override { return fds[0]; }
  void Service() override {
    char buffer[64];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) received += n;
  }
  void Send(const char* text) { QVERIFY(::write(fds[1], text, strlen(text)) > 0); }

  int fds[2] = {-1, -1};
  ssize_t received = 0;
};

}  // namespace

class WidgetTest : public QObject {
  Q_OBJECT

 private slots:
  void mappingsOfColoursAndLocales() {
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    // Blue, green, red from the low byte up; the property test below sees red.
    const std::pair<uint, QColor> colours[] = {{0x8000000Fu, QColor(1, 2, 3)},  // button face
                                               {0x00C0C000u, QColor(0, 0xC0, 0xC0)}};
    for (const auto& [colour, expected] : colours)
      QCOMPARE(travimo::qt::ToQColor(colour, palette), expected);

    using travimo::DateOrder;
    const std::tuple<const char*, DateOrder, const char*> locales[] = {
        {"C", DateOrder::MonthDayYear, "."},
        {"de_DE", DateOrder::DayMonthYear, ","},
        {"sv_SE", DateOrder::YearMonthDay, ","}};
    for (const auto& [name, order, decimal] : locales) {
      const auto settings = travimo::qt::RegionalSettingsOf(QLocale(name));
      QCOMPARE(int(settings.dateOrder), int(order));
      QCOMPARE(QString::fromStdString(settings.decimalSeparator), QString(decimal));
    }
  }

  // The yield blocks without spinning; timers tick only while enabled with a
  // period; sources are serviced in and outside yields until removed.
  void yieldTimersAndSourcesRunOnTheEventLoop() {
    travimo::qt::QtHost host;
    const travimo::testing::CpuMeter meter;
    YieldFor(host, 0.3);
    const double wall = meter.WallSeconds();
    const double cpu = meter.CpuSeconds();
    QVERIFY2(wall >= 0.3 && wall < 3.0, qPrintable(QString("a 0.3 s wait took %1 s").arg(wall)));
    QVERIFY2(cpu < wall * 0.3, qPrintable(QString("%1 s of CPU in %2 s").arg(cpu).arg(wall)));

    int ticks = 0;
    auto timer = host.CreateTimer([&] { ++ticks; });
    timer->Interval(20);
    YieldFor(host, 0.1);
    QCOMPARE(ticks, 0);  // created disabled
    timer->Enabled(true);
    YieldFor(host, 0.3);
    QVERIFY2(ticks >= 5 && ticks <= 16, qPrintable(QString::number(ticks)));
    timer->Interval(0);
    const int before = ticks;
    YieldFor(host, 0.1);
    QCOMPARE(ticks, before);

    PipeSource source;
    {
      const auto registration = host.AddSource(source);
      source.Send("abc");
      host.Yield();
      QCOMPARE(source.received, 3);
      source.Send("de");  // nobody yields: the event loop takes it
      QTRY_COMPARE(source.received, 5);
    }
    source.Send("f");
    host.Yield();
    QCoreApplication::processEvents();
    QCOMPARE(source.received, 5);
  }

  // Properties reach the button and a refusal returns false (travimo-gui's
  // property browser test sees one reported). Only the left button reads;
  // the others reach the container with shift and position.
  void propertiesAndMouseEventsReachTheButton() {
    TravimoWidget widget;
    widget.show();
    QSignalSpy changed(&widget, &TravimoWidget::propertyChanged);
    QVERIFY(widget.setProperty("Caption", "Go"));
    QVERIFY(widget.setProperty("BackColor", 0x000000FFu));
    QCOMPARE(widget.button()->text(), QString("Go"));
    QCOMPARE(widget.button()->palette().color(QPalette::Button), QColor(255, 0, 0));
    QCOMPARE(changed.count(), 2);
    QVERIFY(!widget.setProperty("NumberOfScans", 5));  // only the control writes it

    const std::tuple<Qt::MouseButton, Qt::KeyboardModifiers, int, int> cases[] = {
        {Qt::MiddleButton, Qt::ShiftModifier, 4, 1},
        {Qt::RightButton, Qt::ControlModifier | Qt::AltModifier, 2, 6}};
    for (const auto& [button, modifiers, buttonCode, shiftCode] : cases) {
      QSignalSpy down(&widget, &TravimoWidget::mouseDown);
      QSignalSpy up(&widget, &TravimoWidget::mouseUp);
      QSignalSpy clicked(&widget, &TravimoWidget::clicked);
      QTest::mousePress(widget.button(), button, modifiers, QPoint(10, 5));
      QTest::mouseRelease(widget.button(), button, modifiers, QPoint(12, 7));
      QCoreApplication::processEvents();
      QCOMPARE(down.count(), 1);
      QCOMPARE(up.count(), 1);
      QCOMPARE(down.front(), (QVariantList{buttonCode, shiftCode, 10.0f, 5.0f}));
      QCOMPARE(up.front(), (QVariantList{buttonCode, shiftCode, 12.0f, 7.0f}));
      QCOMPARE(clicked.count(), 0);
    }
  }
};

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setStyle("Fusion");
  WidgetTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "widget_test.moc"
