// For tests: what an action raised.
#pragma once

#include <gtest/gtest.h>

#include "process/failure.h"

namespace tavik {

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

}  // namespace tavik
