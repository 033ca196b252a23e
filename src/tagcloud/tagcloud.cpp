#include "tagcloud/tagcloud.h"

#include "mapexport/RasterLimits.h"

#include <QDebug>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGraphicsTextItem>
#include <QImage>
#include <QImageWriter>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kXGap = 9;

// Level of every tag of a list sorted heaviest first: levels go by rank, perBin
// tags per level after the top tag, and whatever is left on the last level.
QList<int> levelsByRank(int count, int bins) {
  QList<int> levels;
  if (bins < 2) {
    for (int i = 0; i < count; ++i)
      levels.append(0);
    return levels;
  }
  const int perBin = (count - 1) / (bins - 1);
  levels.append(0);
  for (int level = 1; level < bins; ++level)
    for (int i = 0; i < perBin; ++i)
      levels.append(level);
  while (levels.size() < count)
    levels.append(bins - 1);
  return levels;
}

} // namespace

QTagCloud::QTagCloud(QWidget* parent) : QGraphicsView(parent) {
  setBackgroundColor(QColor(255, 255, 255, 255));
  setScene(&m_scene);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QTagCloud::~QTagCloud() {
  // The scene is a member: detach it before the view's own destructor runs.
  setScene(nullptr);
}

void QTagCloud::setBackgroundColor(const QColor& color) {
  m_backgroundColor = color;
  m_scene.setBackgroundBrush(QBrush(color, Qt::SolidPattern));
  render();
}

void QTagCloud::clear() {
  m_pairs.clear();
  render();
}

void QTagCloud::render(QList<TagPair>& pairs) {
  m_pairs = pairs;
  render();
}

void QTagCloud::render() {
  const int canvasWidth = width();
  m_scene.clear();
  if (m_pairs.isEmpty())
    return;

  // A stable sort keeps words of equal weight in the order they were handed in,
  // so the same list always gives the same picture.
  std::stable_sort(m_pairs.begin(), m_pairs.end(), comparePairByWeight);
  const int bins = m_binCount;
  const QList<int> levels = levelsByRank(m_pairs.size(), bins);

  struct RankedTag {
    TagPair pair;
    int level;
    bool top;
  };
  QList<RankedTag> ranked;
  for (int i = 0; i < m_pairs.size(); ++i)
    ranked.append({m_pairs[i], levels[i], i == 0});
  std::stable_sort(ranked.begin(), ranked.end(), [this](const RankedTag& a, const RankedTag& b) {
    return m_sortAlphabetic ? comparePairByTag(a.pair, b.pair)
                            : comparePairByWeight(a.pair, b.pair);
  });
  m_pairs.clear();
  for (const RankedTag& tag : ranked)
    m_pairs.append(tag.pair);

  const int levelCount = std::max(bins, 1);
  QList<Word> words;
  for (const RankedTag& tag : ranked) {
    const double frac = 1.0 - static_cast<double>(tag.level) / levelCount;
    const int size =
        m_minFontSize + static_cast<int>(std::pow(frac, 1.1) * (m_maxFontSize - m_minFontSize));
    QColor color = m_tagColor;
    color.setAlpha(static_cast<int>(frac * 165.0 + 90.0));

    QFont font(m_tagFont.family());
    font.setItalic(false);
    font.setPointSize(std::max(size, 1));
    font.setWeight(tag.top ? QFont::Bold : QFont::Normal);

    QGraphicsTextItem* item = m_scene.addText(tag.pair.first, font);
    item->setDefaultTextColor(color);
    const QFontMetrics metrics(font);
    words.append({item, metrics.horizontalAdvance(tag.pair.first),
                  metrics.height() - metrics.descent(), metrics.descent()});
  }

  int xPos = kXGap;
  int yPos = 0;
  int rowHeight = 0;
  // Never reset between rows: the row step keeps the largest descent seen so far.
  int rowDescent = 0;
  QList<Word> row;
  for (const Word& word : words) {
    if (word.width + xPos > canvasWidth) {
      finishRow(row, xPos, yPos, rowHeight, canvasWidth);
      xPos = kXGap;
      yPos += rowHeight + rowDescent;
      rowHeight = 0;
    }
    word.item->setPos(xPos, yPos);
    rowDescent = std::max(rowDescent, word.descent);
    row.append(word);
    rowHeight = std::max(rowHeight, word.raisedHeight);
    xPos += word.width + kXGap;
  }
  if (!row.isEmpty())
    finishRow(row, xPos, yPos, rowHeight, canvasWidth);

  const int totalHeight = rowDescent + yPos + rowHeight;
  m_scene.setSceneRect(0, 0, width(), totalHeight);
  fitInView(m_scene.sceneRect(), Qt::KeepAspectRatio);
}

void QTagCloud::finishRow(QList<Word>& row, int xPos, int yPos, int rowHeight,
                          int canvasWidth) const {
  const int extraXGap = (canvasWidth - xPos) / 2;
  for (const Word& word : row)
    word.item->setPos(word.item->x() + extraXGap, yPos + rowHeight - word.raisedHeight);
  row.clear();
}

bool QTagCloud::exportPNG(const QString& filename, int width, int height) {
  // Painted at a larger size, the image would come out cut: refuse it.
  if (!fitsRaster(width, height)) {
    qDebug() << "Image too large to draw whole:" << width << "x" << height;
    return false;
  }
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull())
    return false;
  image.fill(m_backgroundColor);
  QPainter painter(&image);
  m_scene.render(&painter, QRectF(), m_scene.sceneRect(), Qt::KeepAspectRatio);
  painter.end();

  QSaveFile file(filename);
  if (!file.open(QIODevice::WriteOnly))
    return false;
  QImageWriter writer(&file, QFileInfo(filename).suffix().toLower().toLatin1());
  if (!writer.write(image)) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

void QTagCloud::mousePressEvent(QMouseEvent* event) {
  if (event->buttons() == Qt::LeftButton)
    emit displayClicked(id);
}

void QTagCloud::resizeEvent(QResizeEvent* event) {
  QGraphicsView::resizeEvent(event);
  render();
}
