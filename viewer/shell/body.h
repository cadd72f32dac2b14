// The body model every view draws, and the reader that loads it at start-up.
#pragma once

#include "model/model.h"
#include "model/model_reader.h"

extern ModelReader model_reader;
extern Model body_model;

constexpr const char* kModelFile = "man.3ds";
