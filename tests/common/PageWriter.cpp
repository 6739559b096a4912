#include "PageWriter.h"
