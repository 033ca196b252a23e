#include "tagcloud/tagcache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

// Nodes finished between two progress reports, and whose files are read together.
constexpr int kNodesPerBatch = 1024;

// Reading a tag file is mostly waiting for the file system and decoding text; a few
// threads overlap that, more only contend.
unsigned int readingThreads() {
  return std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
}

} // namespace

TagCache::TagCache() = default;

void TagCache::clear() {
  m_cache.clear();
  QList<TagPair> empty;
  emit cloudCreated(empty);
}

void TagCache::activatePath(const QStringList& nodeIds) {
  QList<TagPair> tags = buildPath(nodeIds);
  emit cloudCreated(tags);
}

QList<TagPair> TagCache::buildPath(const QStringList& nodeIds) {
  if (!tagDirectoryExists())
    return {};

  // The entries are implicitly shared with the cache: collecting them copies no tags.
  QList<TagMap> active;
  active.reserve(nodeIds.size());
  for (const QString& nodeId : nodeIds) {
    auto entry = m_cache.find(nodeId);
    if (entry == m_cache.end()) {
      // A node without tags is entered too, so that its file is looked for only once.
      entry = m_cache.insert(nodeId, loadNode(nodeId));
    } else {
      tagMessage("Using cached tag information for node  " + quotedItem(nodeId) + ' ');
    }
    active.append(entry.value());
  }
  tagMessage("Using " + QString::number(active.size()) + " tag cloud(s) ");

  if (active.isEmpty())
    return {};
  if (active.size() == 1)
    return topTags(active.first(), m_topCount);

  // The mean over the whole path: a node without a tag counts as weight 0 for it,
  // and a node listed twice counts twice.
  TagMap comboMap;
  for (const TagMap& tags : qAsConst(active)) {
    for (auto tag = tags.cbegin(); tag != tags.cend(); ++tag)
      comboMap[tag.key()] += tag.value();
  }
  const double count = active.size();
  for (auto sum = comboMap.begin(); sum != comboMap.end(); ++sum)
    sum.value() /= count;
  return topTags(comboMap, m_topCount);
}

QString TagCache::getTopTag(const QString& nodeId) {
  if (!tagDirectoryExists())
    return QString();

  auto entry = m_cache.constFind(nodeId);
  if (entry == m_cache.constEnd()) {
    const TagMap tags = loadNode(nodeId);
    // Not cached when empty: a later request looks for the file again.
    if (tags.isEmpty())
      return QString();
    entry = m_cache.insert(nodeId, tags);
  }
  return topTag(entry.value());
}

QStringList TagCache::getTopTags(const QStringList& nodeIds,
                                 const std::function<void(int, int)>& progress) {
  QStringList top;
  top.reserve(nodeIds.size());
  for (int from = 0; from < nodeIds.size(); from += kNodesPerBatch) {
    const int to = std::min(from + kNodesPerBatch, nodeIds.size());
    if (!tagDirectoryExists()) {
      // Reported for every node, as getTopTag does.
      for (int i = from + 1; i < to; ++i)
        tagDirectoryExists();
      for (int i = from; i < to; ++i)
        top.append(QString());
    } else {
      QHash<QString, int> readAt;
      const std::vector<NodeRead> reads = readUncached(nodeIds, from, to, readAt);
      // In order, as getTopTag would: a file that gave no tags is read again for a
      // repeated node, which the one read stands for.
      for (int i = from; i < to; ++i) {
        auto entry = m_cache.constFind(nodeIds[i]);
        if (entry == m_cache.constEnd()) {
          const NodeRead& read = reads[readAt.value(nodeIds[i])];
          for (const QString& message : read.messages)
            tagMessage(message);
          if (read.tags.isEmpty()) {
            top.append(QString());
            continue;
          }
          entry = m_cache.insert(nodeIds[i], read.tags);
        }
        top.append(topTag(entry.value()));
      }
    }
    if (progress)
      progress(to, nodeIds.size());
  }
  return top;
}

std::vector<TagCache::NodeRead> TagCache::readUncached(const QStringList& nodeIds, int from,
                                                       int to, QHash<QString, int>& readAt) const {
  QStringList toRead;
  for (int i = from; i < to; ++i) {
    const QString& nodeId = nodeIds[i];
    if (!m_cache.contains(nodeId) && !readAt.contains(nodeId)) {
      readAt.insert(nodeId, toRead.size());
      toRead.append(nodeId);
    }
  }
  std::vector<NodeRead> reads(static_cast<std::size_t>(toRead.size()));
  std::atomic<int> next{0};
  const auto work = [&]() {
    for (int i = next++; i < toRead.size(); i = next++)
      reads[static_cast<std::size_t>(i)] = readNode(toRead[i]);
  };
  std::vector<std::thread> helpers;
  const unsigned int threads = std::min<unsigned int>(readingThreads(), toRead.size());
  for (unsigned int t = 1; t < threads; ++t)
    helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers)
    helper.join();
  return reads;
}

QString TagCache::topTag(const TagMap& tags) {
  if (tags.isEmpty())
    return QString();
  return topTags(tags, 1).first().first;
}

TagMap TagCache::loadNode(const QString& nodeId) {
  const NodeRead read = readNode(nodeId);
  for (const QString& message : read.messages)
    tagMessage(message);
  return read.tags;
}

TagCache::NodeRead TagCache::readNode(const QString& nodeId) const {
  NodeRead read;
  const QString path = QDir(m_tagDirPath).filePath(m_tagFilePrefix + nodeId + m_tagFileExtension);
  read.messages.append("Reading tags for node " + quotedItem(nodeId) + " from  " +
                       quotedItem(path) + ' ');
  if (!QFileInfo::exists(path)) {
    read.messages.append("Tag file not found " + quotedItem(path) + ' ');
    return read;
  }
  QFile file(path);
  read.tags = loadTags(file, read.messages);
  if (read.tags.isEmpty())
    read.messages.append("Failed to read any tags from file " + quotedItem(path) + ' ');
  return read;
}

bool TagCache::tagDirectoryExists() const {
  if (QDir(m_tagDirPath).exists())
    return true;
  tagMessage("Tag file directory not found " + quotedItem(m_tagDirPath) + ' ');
  return false;
}
