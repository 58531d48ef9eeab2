#pragma once
// What the shown data is and how a read goes: a line naming the shown data's
// read (its time and source, or that it is the previous read's), a banner
// for the last failure, and the progress of a running read.
#include <QLabel>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "acquisition/read_cycle.h"

namespace travimo::gui {

struct ReadFailure {
  int32_t number = 0;
  QString name;  // the TravimoErrors member, empty for other numbers
  QString description;
  QString nextStep;

  QString Headline() const;  // "Error 8002 (ComportError): cannot open ..."
};

ReadFailure FailureOf(int32_t number, std::string_view description);

// "1234 bytes · 0:05 · waiting for the first byte, 25 s left".
QString ProgressText(size_t bytes, double elapsedSeconds, const PhaseProgress& phase,
                     double nowSeconds);

class ReadStatusPanel : public QWidget {
  Q_OBJECT

 public:
  explicit ReadStatusPanel(QWidget* parent = nullptr);

  // The shown data's origin; stale marks it as an earlier read's than the last.
  void ShowOrigin(const QString& origin, bool stale);
  void ShowFailure(const ReadFailure& failure);
  void ClearFailure();
  void ShowProgress(const QString& text);  // empty hides it

  QLabel* banner() const { return banner_; }
  QLabel* origin() const { return origin_; }
  QLabel* progress() const { return progress_; }

 private:
  QLabel* origin_;
  QLabel* banner_;
  QLabel* progress_;
};

}  // namespace travimo::gui
