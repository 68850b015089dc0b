#include "log/log_stamp.h"

#include <QDateTime>
#include <QLocale>

#include "platform/text8.h"

namespace veridane {

LogStamp SystemLogStamp() {
  QDateTime now = QDateTime::currentDateTime();
  QString date = QLocale::system().toString(now.date(), QLocale::ShortFormat);
  return {Text8FromUtf8(date.toStdString()), now.time().toString("HH:mm").toStdString()};
}

}  // namespace veridane
