// One tag file of arbitrary bytes through loadTags and topTags.

#include "FuzzSupport.h"

#include "tagcloud/tagutils.h"

#include <QFile>
#include <QtGlobal>

namespace {
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool silenced = (qInstallMessageHandler(quiet), true);
  (void)silenced;
  const std::string path = fuzz::writeScratch("node.tags", data, size);
  QFile file(QString::fromStdString(path));
  const TagMap tags = loadTags(file);
  for (auto it = tags.cbegin(); it != tags.cend(); ++it)
    fuzz::check(!it.key().isEmpty(), "no empty tag");
  const QList<TagPair> top = topTags(tags, 3);
  fuzz::check(top.size() == std::min(3, tags.size()), "top 3 of the map");
  for (int i = 1; i < top.size(); ++i)
    fuzz::check(!(top[i].second > top[i - 1].second), "heaviest first");
  return 0;
}
