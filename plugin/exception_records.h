// The C++ runtime's own records for throwing, made at load (see exception_records.cpp).
#pragma once

// Throws and catches at load so that every record a throw needs exists before memory can run out.
void PrepareExceptionRecords();
