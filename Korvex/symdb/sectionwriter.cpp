#include "sectionwriter.h"

void WriteSectionRecord(LONG sectionIndex, const SectionTag &section, CDBSectionsBinary &rs)
{
    rs.AddNew();
    rs.m_SectionIndex = sectionIndex;
    rs.m_Type = section.Type;
    rs.m_Name = section.Name;
    rs.m_AddressMode = static_cast<LONG>(section.AddressMode);
    rs.m_AddressValue = static_cast<LONG>(section.AddressValue);
    rs.m_Length = static_cast<LONG>(section.Length);
    rs.Update();
}
