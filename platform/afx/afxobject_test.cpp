#include "afxobject.h"

#include "afxexcept.h"

#include <gtest/gtest.h>

namespace {

class CShape : public CObject {
    DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CCircle : public CShape {
    DECLARE_DYNCREATE(CCircle)
public:
    int radius = 3;
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

class CBroken : public CObject {
    DECLARE_DYNCREATE(CBroken)
public:
    CBroken() { AfxThrowNotSupportedException(); }
};
IMPLEMENT_DYNCREATE(CBroken, CObject)

TEST(CRuntimeClassTest, DescribesTheClassItsSizeAndItsBase)
{
    CRuntimeClass *circle = RUNTIME_CLASS(CCircle);
    EXPECT_STREQ(circle->m_lpszClassName, "CCircle");
    EXPECT_EQ(circle->m_nObjectSize, static_cast<int>(sizeof(CCircle)));
    EXPECT_EQ(circle->m_pBaseClass, RUNTIME_CLASS(CShape));
    EXPECT_EQ(RUNTIME_CLASS(CShape)->m_pBaseClass, RUNTIME_CLASS(CObject));
    EXPECT_TRUE(circle->IsDerivedFrom(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(RUNTIME_CLASS(CShape)->IsDerivedFrom(circle));
}

TEST(CRuntimeClassTest, CreatesObjectsByName)
{
    CRuntimeClass *found = CRuntimeClass::FromName("CCircle");
    ASSERT_EQ(found, RUNTIME_CLASS(CCircle));
    CObject *object = found->CreateObject();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->GetRuntimeClass(), RUNTIME_CLASS(CCircle));
    EXPECT_EQ(static_cast<CCircle *>(object)->radius, 3);
    delete object;
    EXPECT_EQ(CRuntimeClass::FromName("CSquare"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName(nullptr), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("CObject"), RUNTIME_CLASS(CObject));
}

TEST(CRuntimeClassTest, DynamicOnlyOrFailingClassesCreateNothing)
{
    EXPECT_EQ(RUNTIME_CLASS(CShape)->CreateObject(), nullptr);
    EXPECT_EQ(RUNTIME_CLASS(CObject)->CreateObject(), nullptr);
    EXPECT_EQ(RUNTIME_CLASS(CBroken)->CreateObject(), nullptr); // its exception is freed
}

TEST(CObjectTest, IsKindOfFollowsTheClassChain)
{
    CCircle circle;
    const CObject &object = circle;
    EXPECT_TRUE(object.IsKindOf(RUNTIME_CLASS(CCircle)));
    EXPECT_TRUE(object.IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(object.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(object.IsKindOf(RUNTIME_CLASS(CBroken)));
    ASSERT_VALID(&circle);
}

} // namespace
