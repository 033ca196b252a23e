#ifndef TEXTFERRO_TAGCLOUD_H
#define TEXTFERRO_TAGCLOUD_H

// Draws a tag list as a cloud of words: heavier tags larger and more opaque, the
// heaviest bold, flowed in centred rows and scaled to fit the widget. A left
// click reports the owner's id.
//
// Display settings and defaults: binCount 10 size levels, minFontSize 12 and
// maxFontSize 40 points, tagColor opaque black, backgroundColor opaque white,
// sortAlphabetic true. A bin count below 2 draws every tag on the largest level;
// point sizes below 1 are drawn at 1 point.

#include "tagcloud/tagutils.h"

#include <QColor>
#include <QFont>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QList>

class QGraphicsTextItem;

class QTagCloud : public QGraphicsView {
  Q_OBJECT
  Q_PROPERTY(int binCount READ binCount WRITE setBinCount)
  Q_PROPERTY(int minFontSize READ minFontSize WRITE setMinFontSize)
  Q_PROPERTY(int maxFontSize READ maxFontSize WRITE setMaxFontSize)
  Q_PROPERTY(QFont tagFont READ tagFont WRITE setTagFont)
  Q_PROPERTY(QColor tagColor READ tagColor WRITE setTagColor)
  Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)
  Q_PROPERTY(bool sortAlphabetic READ sortAlphabetic WRITE setSortAlphabetic)

public:
  explicit QTagCloud(QWidget* parent = nullptr);
  ~QTagCloud() override;

  int binCount() const { return m_binCount; }
  void setBinCount(int bins) { m_binCount = bins; }
  int minFontSize() const { return m_minFontSize; }
  void setMinFontSize(int size) { m_minFontSize = size; }
  int maxFontSize() const { return m_maxFontSize; }
  void setMaxFontSize(int size) { m_maxFontSize = size; }
  QFont tagFont() const { return m_tagFont; }
  void setTagFont(const QFont& font) { m_tagFont = font; }
  QColor tagColor() const { return m_tagColor; }
  void setTagColor(const QColor& color) { m_tagColor = color; }
  QColor backgroundColor() const { return m_backgroundColor; }
  // Unlike the other settings, shows at once.
  void setBackgroundColor(const QColor& color);
  bool sortAlphabetic() const { return m_sortAlphabetic; }
  void setSortAlphabetic(bool sortAlpha) { m_sortAlphabetic = sortAlpha; }

  void setid(int newId) { id = newId; }

  // The tags being shown, in display order after each drawing.
  const QList<TagPair>& pairs() const { return m_pairs; }

  // Paints the whole scene into a width x height image, keeping its aspect ratio;
  // the rest of the image shows the background colour. The format follows the
  // file name's suffix. An existing file is replaced only once the new image is
  // completely written. Returns false when the image cannot be made or written, and
  // refuses (false, on the debug channel) an image too large for the raster engine
  // to paint whole: more than 32767 pixels along a side or 64 million in all.
  bool exportPNG(const QString& filename, int width, int height);

signals:
  void displayClicked(int id);

public slots:
  void clear();
  void render(QList<TagPair>& pairs);
  void render();

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  struct Word {
    QGraphicsTextItem* item;
    int width;
    int raisedHeight;
    int descent;
  };

  void finishRow(QList<Word>& row, int xPos, int yPos, int rowHeight, int canvasWidth) const;

  QGraphicsScene m_scene;
  QList<TagPair> m_pairs;
  int m_binCount = 10;
  int m_minFontSize = 12;
  int m_maxFontSize = 40;
  QFont m_tagFont;
  QColor m_tagColor = QColor(0, 0, 0, 255);
  QColor m_backgroundColor;
  bool m_sortAlphabetic = true;
  int id = -1;
};

#endif
