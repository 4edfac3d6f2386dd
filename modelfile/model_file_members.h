#pragma once
// The member types of the model definition that other rooms of this folder
// define, gathered for its header.

#include "modelfile/model_setting_convert.h"
#include "modelfile/model_settings.h"
#include "modelfile/nimbo_vars.h"
#include "modelfile/property_calculation.h"
#include "modelfile/user_defined_equation_variable.h"
#include "modelfile/user_equation_group.h"
#include "tableio/db/db_connect_info.h"
