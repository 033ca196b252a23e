#ifndef TEXTFERRO_TESTS_MESSAGECAPTURE_H
#define TEXTFERRO_TESTS_MESSAGECAPTURE_H

// Collects the debug-channel messages emitted while it lives, exactly as the
// message handler receives them, and restores the previous handler afterwards.

#include <QStringList>

#include <string>
#include <utility>
#include <vector>

class MessageCapture {
public:
  MessageCapture() : previous(qInstallMessageHandler(&handle)) { active() = this; }
  ~MessageCapture() {
    active() = nullptr;
    qInstallMessageHandler(previous);
  }
  MessageCapture(const MessageCapture&) = delete;

  // The messages so far (as UTF-8, for readable test failures), and forgets them.
  std::vector<std::string> take() {
    std::vector<std::string> taken;
    for (const QString& message : std::exchange(messages, {}))
      taken.push_back(message.toStdString());
    return taken;
  }

private:
  static MessageCapture*& active() {
    static MessageCapture* capture = nullptr;
    return capture;
  }
  static void handle(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (active())
      active()->messages << message;
  }

  QtMessageHandler previous;
  QStringList messages;
};

#endif
