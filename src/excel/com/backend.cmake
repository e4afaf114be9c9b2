# COM backend: the running application reached through IDispatch late binding.
target_sources(kestrine_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ComBackend.cpp)
set(KESTRINE_BACKEND com)
