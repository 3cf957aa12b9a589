#include "qeltabledef.h"

#include "qeldbexception.h"

CQelTableDef::CQelTableDef(CdbDatabase *pDatabase) : m_pDatabase(pDatabase)
{
}

void CQelTableDef::Create(LPCTSTR name, LONG attributes)
{
    QeldbCall([&] { m_TableDef = m_pDatabase->CreateTableDef(name, attributes); });
}

void CQelTableDef::Open(LPCTSTR name)
{
    QeldbCall([&] { m_TableDef = m_pDatabase->TableDefs[name]; });
}

void CQelTableDef::AddField(const CQelFieldInfo &info)
{
    QeldbCall([&] {
        CdbField field = m_TableDef.CreateField(info.m_strName, info.m_nType, info.m_lSize);
        field.SetAttributes(info.m_lAttributes);
        field.SetOrdinalPosition(info.m_nOrdinalPosition);
        field.SetRequired(info.m_bRequired);
        if (info.m_bAllowZeroLength)
            field.SetAllowZeroLength(TRUE);
        m_TableDef.Fields.Append(field);
    });
}

void CQelTableDef::AddIndex(const CQelIndexInfo &info)
{
    QeldbCall([&] {
        CdbIndex index = m_TableDef.CreateIndex(info.m_strName);
        for (SHORT i = 0; i < info.m_nFields; ++i) {
            CdbField field = index.CreateField(info.m_pFieldNames[i]);
            index.Fields.Append(field);
        }
        index.SetPrimary(info.m_bPrimary);
        index.SetUnique(info.m_bUnique);
        index.SetIgnoreNulls(info.m_bIgnoreNulls);
        m_TableDef.Indexes.Append(index);
    });
}

void CQelTableDef::Append()
{
    QeldbCall([&] { m_pDatabase->TableDefs.Append(m_TableDef); });
}
