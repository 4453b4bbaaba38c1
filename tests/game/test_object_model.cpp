// The visible object model: the shared null renderer, and the general visible
// object's single reference to a renderer that many objects share.
#include <gtest/gtest.h>

#include "Classes/SceneGame/NHClasses.h"

namespace {

CSceneGame* const kScene = reinterpret_cast<CSceneGame*>(0x1234);

// Counts its users and deletes itself when the last one goes.
class SharedRenderer : public IRenderer {
 public:
  explicit SharedRenderer(bool& deleted) : m_deleted(deleted) {}
  ~SharedRenderer() override { m_deleted = true; }
  void RenderTransparent() override {}
  void RenderOpaque() override {}
  D3DVECTOR GetPosition(int) override { return D3DVECTOR(); }
  void AddRef() override { ++m_refCount; }
  void Release() override {
    if (--m_refCount == 0) delete this;
  }
  int m_refCount = 0;

 private:
  bool& m_deleted;
};

class PlainVisible : public CObject, public IVisibleObject {
 public:
  explicit PlainVisible(CSceneGame* scene) : CObject(scene) {}
};

TEST(ObjectModel, AVisibleObjectWithoutItsOwnRendererUsesTheSharedNullRenderer) {
  CObject* object = new PlainVisible(kScene);
  EXPECT_EQ(object->GetScene(), kScene);
  IVisibleObject* visible = dynamic_cast<IVisibleObject*>(object);
  ASSERT_NE(visible, nullptr);
  IRenderer* renderer = visible->GetRenderer();
  ASSERT_EQ(renderer, g_nullRenderer);

  // Drawing, referencing and releasing it any number of times changes nothing.
  renderer->RenderOpaque();
  renderer->RenderTransparent();
  for (int i = 0; i < 3; ++i) renderer->Release();
  CGeneralVisibleObject* holder = new CGeneralVisibleObject(kScene, renderer);
  delete holder;
  delete object;
  D3DVECTOR p = g_nullRenderer->GetPosition(0);
  EXPECT_EQ(p.x, 0.0f);
  EXPECT_EQ(p.y, 0.0f);
  EXPECT_EQ(p.z, 0.0f);
}

TEST(ObjectModel, GeneralVisibleObjectsHoldOneReferenceEachToASharedRenderer) {
  bool deleted = false;
  SharedRenderer* renderer = new SharedRenderer(deleted);
  CObject* first = new CGeneralVisibleObject(kScene, renderer);
  CObject* second = new CGeneralVisibleObject(kScene, renderer);
  EXPECT_EQ(renderer->m_refCount, 2);
  EXPECT_EQ(dynamic_cast<IVisibleObject*>(second)->GetRenderer(), renderer);

  delete first;  // through CObject*: the virtual destructor releases
  EXPECT_FALSE(deleted);
  EXPECT_EQ(renderer->m_refCount, 1);
  delete second;
  EXPECT_TRUE(deleted);
}

}  // namespace
