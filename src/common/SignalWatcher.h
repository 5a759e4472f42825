#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>
#include <string>

namespace corvalis {

// Turns SIGINT and SIGTERM into a Qt signal on the event loop through a
// self-pipe; the handler itself only writes one byte.
class SignalWatcher final : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  ~SignalWatcher() override;
  bool Install(std::string& error);

 signals:
  void Stop();

 private:
  void OnPipe();
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace corvalis
