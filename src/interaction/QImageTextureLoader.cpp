#include "interaction/QImageTextureLoader.h"

#include <QImage>
#include <QString>

#include <tulip/OpenGlIncludes.h>

bool QImageTextureLoader::loadTexture(const std::string& filename, tlp::GlTexture& texture) {
  QImage image(QString::fromStdString(filename));
  if (image.isNull())
    return false;
  // OpenGL counts rows from the bottom.
  image = image.convertToFormat(QImage::Format_RGBA8888).mirrored();

  // The texture manager frees the ids with delete[] when it drops the texture.
  texture.id = new GLuint[1];
  texture.width = image.width();
  texture.height = image.height();
  texture.spriteNumber = 1;
  glGenTextures(1, texture.id);
  glBindTexture(GL_TEXTURE_2D, texture.id[0]);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width(), image.height(), 0, GL_RGBA,
               GL_UNSIGNED_BYTE, image.constBits());
  return true;
}
