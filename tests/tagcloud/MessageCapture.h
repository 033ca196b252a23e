#ifndef TEXTFERRO_TESTS_MESSAGECAPTURE_H
#define TEXTFERRO_TESTS_MESSAGECAPTURE_H

// Collects the debug-channel messages emitted while it lives, exactly as the
// message handler receives them, and restores the previous handler afterwards.

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <string>
#include <vector>

class MessageCapture {
public:
  MessageCapture() {
    active() = this;
    previous = qInstallMessageHandler(&MessageCapture::handle);
  }
  ~MessageCapture() {
    qInstallMessageHandler(previous);
    active() = nullptr;
  }
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

  // The messages so far (as UTF-8, for readable test failures), and forgets them.
  std::vector<std::string> take() {
    std::vector<std::string> taken;
    for (const QString& message : messages)
      taken.push_back(message.toStdString());
    messages.clear();
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

  QStringList messages;
  QtMessageHandler previous = nullptr;
};

#endif
