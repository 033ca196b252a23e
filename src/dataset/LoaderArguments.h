#ifndef TEXTFERRO_LOADERARGUMENTS_H
#define TEXTFERRO_LOADERARGUMENTS_H

// The loader's command line, taken either as it is (the seven positional
// arguments) or from a data set folder: when the command line holds exactly the
// folder and `trailing` more arguments (an output file, say), the folder is
// replaced by the seven arguments its manifest names. Any other command line is
// passed on unchanged, so that the loader's own usage message answers it.

#include <QByteArray>
#include <QString>

#include <vector>

class LoaderArguments {
public:
  LoaderArguments(int argc, char** argv, int trailing);

  // Reads the folder's manifest when the command line is the folder form.
  // Returns false with a message naming the folder or manifest in `error`.
  bool resolve(QString& error);
  int argc() const { return static_cast<int>(pointers.size()) - 1; }
  // Valid while this object lives; null-terminated like main's argv.
  char** argv() { return pointers.data(); }

private:
  void point();

  int trailing;
  std::vector<QByteArray> arguments;
  std::vector<char*> pointers;
};

#endif
