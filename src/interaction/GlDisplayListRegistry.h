#ifndef TEXTFERRO_GLDISPLAYLISTREGISTRY_H
#define TEXTFERRO_GLDISPLAYLISTREGISTRY_H

// Named OpenGL display lists, recorded once and replayed by every drawing that
// needs the same geometry (the graph library of Tulip 5.4 no longer has one).
// Display lists belong to a group of contexts that share objects, so a name is
// recorded once per share group of the current context; the lists of a group
// are forgotten when the group is destroyed.

#include <QtGui/qopengl.h>

#include <map>
#include <string>

class QOpenGLContextGroup;

class GlDisplayListRegistry {
public:
  // The process's registry. It is never destroyed, so that share groups that
  // outlive static destruction can still unregister.
  static GlDisplayListRegistry& instance();

  // Starts recording the list `name` (glNewList with GL_COMPILE) and returns
  // true; endList() closes it. Returns false and records nothing when the list
  // already exists in the current share group, or when no context is current.
  bool beginNewList(const std::string& name);
  void endList();

  // Replays the list `name`; returns false, drawing nothing, when it was never
  // recorded in the current share group.
  bool callList(const std::string& name) const;

  // OpenGL name of the list in the current share group, 0 when there is none.
  GLuint listId(const std::string& name) const;

private:
  GlDisplayListRegistry() = default;
  void watch(QOpenGLContextGroup* group);

  std::map<QOpenGLContextGroup*, std::map<std::string, GLuint>> lists;
};

#endif
