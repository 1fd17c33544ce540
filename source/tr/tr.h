/* The vorlix trace library: every public header in one include. */
#ifndef TR_H
#define TR_H

#include "tr/tr_module.h"
#include "tr/tr_property_value.h"
#include "tr/tr_mark.h"
#include "tr/tr_stream.h"
#include "tr/tr_anchor.h"
#include "tr/tr_text_reader.h"
#include "tr/tr_sink.h"

#endif
