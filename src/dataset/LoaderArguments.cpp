#include "dataset/LoaderArguments.h"

#include "dataset/DataSetFolder.h"

LoaderArguments::LoaderArguments(int argc, char** argv, int trailing) : trailing(trailing) {
  for (int i = 0; i < argc; ++i)
    arguments.emplace_back(argv[i]);
  point();
}

bool LoaderArguments::resolve(QString& error) {
  if (static_cast<int>(arguments.size()) != 2 + trailing)
    return true;
  const QString folder = QString::fromLocal8Bit(arguments[1]);
  DataSetFolder dataSet;
  if (!DataSetFolder::read(folder, dataSet, error))
    return false;
  std::vector<QByteArray> expanded{arguments[0]};
  for (const QString& argument : dataSet.loaderArguments(folder))
    expanded.push_back(argument.toLocal8Bit());
  expanded.insert(expanded.end(), arguments.begin() + 2, arguments.end());
  arguments = expanded;
  point();
  return true;
}

void LoaderArguments::point() {
  pointers.clear();
  for (QByteArray& argument : arguments)
    pointers.push_back(argument.data());
  pointers.push_back(nullptr);
}
