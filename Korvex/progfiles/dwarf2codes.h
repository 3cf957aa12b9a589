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
    DW_AT_sibling = 0x01,
    DW_AT_location = 0x02,
    DW_AT_name = 0x03,
    DW_AT_byte_size = 0x0B,
    DW_AT_bit_offset = 0x0C,
    DW_AT_bit_size = 0x0D,
    DW_AT_ordering = 0x09,
    DW_AT_stmt_list = 0x10,
    DW_AT_low_pc = 0x11,
    DW_AT_high_pc = 0x12,
    DW_AT_language = 0x13,
    DW_AT_visibility = 0x17,
    DW_AT_comp_dir = 0x1B,
    DW_AT_const_value = 0x1C,
    DW_AT_inline = 0x20,
    DW_AT_lower_bound = 0x22,
    DW_AT_producer = 0x25,
    DW_AT_upper_bound = 0x2F,
    DW_AT_abstract_origin = 0x31,
    DW_AT_accessibility = 0x32,
    DW_AT_calling_convention = 0x36,
    DW_AT_count = 0x37,
    DW_AT_data_member_location = 0x38,
    DW_AT_encoding = 0x3E,
    DW_AT_external = 0x3F,
    DW_AT_frame_base = 0x40,
    DW_AT_identifier_case = 0x42,
    DW_AT_specification = 0x47,
    DW_AT_type = 0x49,
    DW_AT_virtuality = 0x4C,
    DW_AT_vtable_elem_location = 0x4D,
    DW_AT_stride = 0x51,
};

enum : DWORD {
    DW_TAG_array_type = 0x01,
    DW_TAG_class_type = 0x02,
    DW_TAG_enumeration_type = 0x04,
    DW_TAG_formal_parameter = 0x05,
    DW_TAG_label = 0x0A,
    DW_TAG_lexical_block = 0x0B,
    DW_TAG_member = 0x0D,
    DW_TAG_pointer_type = 0x0F,
    DW_TAG_reference_type = 0x10,
    DW_TAG_compile_unit = 0x11,
    DW_TAG_structure_type = 0x13,
    DW_TAG_subroutine_type = 0x15,
    DW_TAG_typedef = 0x16,
    DW_TAG_union_type = 0x17,
    DW_TAG_inlined_subroutine = 0x1D,
    DW_TAG_subrange_type = 0x21,
    DW_TAG_base_type = 0x24,
    DW_TAG_const_type = 0x26,
    DW_TAG_enumerator = 0x28,
    DW_TAG_subprogram = 0x2E,
    DW_TAG_variable = 0x34,
    DW_TAG_volatile_type = 0x35,
    DW_TAG_namespace = 0x39,
};

// The location operators that the readers look at as the last of an expression.
enum : BYTE {
    DW_OP_addr = 0x03,
    DW_OP_reg0 = 0x50,
    DW_OP_reg31 = 0x6F,
    DW_OP_breg0 = 0x70,
    DW_OP_breg31 = 0x8F,
    DW_OP_regx = 0x90,
    DW_OP_fbreg = 0x91,
    DW_OP_bregx = 0x92,
};

// The base type encodings that make a value signed.
enum : DWORD {
    DW_ATE_signed = 0x05,
    DW_ATE_signed_char = 0x06,
};
