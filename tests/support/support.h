// Support for the unit tests: stand-in streams, what an action raised, and a
// bound system function replaced for one scope.
#pragma once

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "process/failure.h"

namespace tavik::test {

// A temporary file holding `bytes`, read from its start.
std::FILE* streamOf(const std::string& bytes);
// Everything the stream's file holds, read without moving its position.
std::string contentsOf(std::FILE* stream);
// A stream on which every write that reaches the system fails.
std::FILE* unwritableStream();

// While it lives, the standard stream (stdin, stdout) reads or writes `to`'s file.
class Redirect {
 public:
  Redirect(std::FILE* standard, std::FILE* to);
  ~Redirect();
  Redirect(const Redirect&) = delete;
  Redirect& operator=(const Redirect&) = delete;

 private:
  std::FILE* standard_;
  int saved_;
};

// While it lives, a bound slot (bound.h) holds `with`; then its address is back.
template <class Function>
class Replace {
 public:
  Replace(Function*& slot, Function* with) : slot_(slot), saved_(slot) { slot = with; }
  ~Replace() { slot_ = saved_; }
  Replace(const Replace&) = delete;
  Replace& operator=(const Replace&) = delete;

 private:
  Function*& slot_;
  Function* saved_;
};

// The exception `action` raised; a test failure (and an empty record) when it
// raised nothing.
template <class Action>
Exception raisedBy(Action action) {
  try {
    action();
  } catch (const Exception& e) {
    return e;
  }
  ADD_FAILURE() << "nothing was raised";
  return {"", "", {"", 0, ""}};
}

}  // namespace tavik::test
