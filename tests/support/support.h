// What the unit tests share: bound slots replaced, what was raised.
#pragma once

#include <gtest/gtest.h>

#include "process/failure.h"

namespace tavik::test {

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
