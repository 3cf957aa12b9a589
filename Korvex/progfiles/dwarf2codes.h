// The DWARF 2 forms, and the attribute and tag codes that the decoders and the dump act on.
#pragma once

#include <windows.h>

enum : DWORD {
    DW_FORM_addr = 0x01,
    DW_FORM_block2 = 0x03,
    DW_FORM_block4 = 0x04,
    DW_FORM_data2 = 0x05,
    DW_FORM_data4 = 0x06,
    DW_FORM_data8 = 0x07,
    DW_FORM_string = 0x08,
    DW_FORM_block = 0x09,
    DW_FORM_block1 = 0x0A,
    DW_FORM_data1 = 0x0B,
    DW_FORM_flag = 0x0C,
    DW_FORM_sdata = 0x0D,
    DW_FORM_strp = 0x0E,
    DW_FORM_udata = 0x0F,
    DW_FORM_ref_addr = 0x10,
    DW_FORM_ref1 = 0x11,
    DW_FORM_ref2 = 0x12,
    DW_FORM_ref4 = 0x13,
    DW_FORM_ref8 = 0x14,
    DW_FORM_ref_udata = 0x15,
    DW_FORM_indirect = 0x16,
};

enum : DWORD {
    DW_AT_location = 0x02,
    DW_AT_ordering = 0x09,
    DW_AT_stmt_list = 0x10,
    DW_AT_low_pc = 0x11,
    DW_AT_language = 0x13,
    DW_AT_visibility = 0x17,
    DW_AT_inline = 0x20,
    DW_AT_lower_bound = 0x22,
    DW_AT_upper_bound = 0x2F,
    DW_AT_accessibility = 0x32,
    DW_AT_calling_convention = 0x36,
    DW_AT_data_member_location = 0x38,
    DW_AT_encoding = 0x3E,
    DW_AT_frame_base = 0x40,
    DW_AT_identifier_case = 0x42,
    DW_AT_virtuality = 0x4C,
    DW_AT_vtable_elem_location = 0x4D,
    DW_AT_stride = 0x51,
};

enum : DWORD {
    DW_TAG_compile_unit = 0x11,
};
