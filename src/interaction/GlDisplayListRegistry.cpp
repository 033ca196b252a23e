#include "interaction/GlDisplayListRegistry.h"

#include <QObject>
#include <QOpenGLContext>

namespace {

QOpenGLContextGroup* currentGroup() {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  return context != nullptr ? context->shareGroup() : nullptr;
}

} // namespace

GlDisplayListRegistry& GlDisplayListRegistry::instance() {
  static GlDisplayListRegistry* registry = new GlDisplayListRegistry();
  return *registry;
}

bool GlDisplayListRegistry::beginNewList(const std::string& name) {
  QOpenGLContextGroup* group = currentGroup();
  if (group == nullptr)
    return false;
  auto groupLists = lists.find(group);
  if (groupLists == lists.end()) {
    groupLists = lists.emplace(group, std::map<std::string, GLuint>()).first;
    watch(group);
  } else if (groupLists->second.count(name) != 0) {
    return false;
  }
  const GLuint id = glGenLists(1);
  if (id == 0)
    return false;
  groupLists->second[name] = id;
  glNewList(id, GL_COMPILE);
  return true;
}

void GlDisplayListRegistry::endList() {
  glEndList();
}

bool GlDisplayListRegistry::callList(const std::string& name) const {
  const GLuint id = listId(name);
  if (id == 0)
    return false;
  glCallList(id);
  return true;
}

GLuint GlDisplayListRegistry::listId(const std::string& name) const {
  const auto groupLists = lists.find(currentGroup());
  if (groupLists == lists.end())
    return 0;
  const auto list = groupLists->second.find(name);
  return list != groupLists->second.end() ? list->second : 0;
}

void GlDisplayListRegistry::watch(QOpenGLContextGroup* group) {
  // The lists die with the group; a later group may even get the same address.
  QObject::connect(group, &QObject::destroyed, [this, group]() { lists.erase(group); });
}
