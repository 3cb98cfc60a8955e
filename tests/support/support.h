// What the unit tests share: stand-in streams, bound slots replaced, what was raised.
#pragma once

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "process/failure.h"

namespace tavik::test {

// A temporary file holding the bytes, read from its start.
std::FILE* streamOf(const std::string& bytes);

// While it lives, a bound slot (process/bound.h) holds `with`.
template <class Function>
struct Replace {
  Replace(Function*& bound, Function* with) : slot(bound), saved(bound) { bound = with; }
  ~Replace() { slot = saved; }
  Function*& slot;
  Function* saved;
};

// What `action` raised; a test failure when it raised nothing.
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
