// Files in and out of the page: the File System Access API where the browser
// has it (Save writes back to the file that was opened, recent files keep
// their handles), else a file picker and a download.

export interface PickedFile {
  name: string;
  bytes: Uint8Array;
  handle?: FileSystemFileHandle;
}

interface FilePickerWindow {
  showOpenFilePicker?: (options?: object) => Promise<FileSystemFileHandle[]>;
  showSaveFilePicker?: (options?: object) => Promise<FileSystemFileHandle>;
}
const picker = window as unknown as FilePickerWindow;

// The kinds of code-plug file, named as the window's file dialogs name them.
export interface FileKind {
  name: string;
  extension: string;
}
let codePlugTypes: object[] = [];
export function setFileKinds(kinds: FileKind[]): void {
  const types: Record<string, string> = { ".tbl": "application/octet-stream", ".json": "application/json" };
  codePlugTypes = kinds.map((k) => ({ description: k.name, accept: { [types[k.extension]]: [k.extension] } }));
}

export async function fromHandle(handle: FileSystemFileHandle): Promise<PickedFile> {
  const file = await handle.getFile();
  return { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()), handle };
}

export async function fromFile(file: File): Promise<PickedFile> {
  return { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) };
}

// Asks for one file; nothing when the user cancels.
export async function pickFile(accept: string): Promise<PickedFile | undefined> {
  if (picker.showOpenFilePicker && accept !== ".csv") {
    try {
      const [handle] = await picker.showOpenFilePicker({ types: codePlugTypes });
      return await fromHandle(handle);
    } catch {
      return undefined;
    }
  }
  const input = document.getElementById("file-input") as HTMLInputElement;
  input.accept = accept;
  input.value = "";
  return new Promise((resolve) => {
    input.onchange = async () => resolve(input.files?.[0] ? await fromFile(input.files[0]) : undefined);
    input.addEventListener("cancel", () => resolve(undefined), { once: true });
    input.click();
  });
}

export async function writeHandle(handle: FileSystemFileHandle, bytes: Uint8Array): Promise<void> {
  const writable = await handle.createWritable();
  await writable.write(bytes as unknown as BufferSource);
  await writable.close();
}

// Save As: a name chosen in the browser's dialog, or a download. The name
// says the form: "*.json" is code-plug text.
export async function chooseTarget(suggested: string): Promise<FileSystemFileHandle | "download" | undefined> {
  if (!picker.showSaveFilePicker) return "download";
  try {
    return await picker.showSaveFilePicker({ suggestedName: suggested, types: codePlugTypes });
  } catch {
    return undefined;
  }
}

export function download(name: string, bytes: Uint8Array): void {
  const url = URL.createObjectURL(new Blob([bytes as unknown as BlobPart], { type: "application/octet-stream" }));
  const link = document.createElement("a");
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 0);
}

// ---- Recent files: their handles kept in IndexedDB ----------------------------

const kRecentCount = 5;

function database(): Promise<IDBDatabase> {
  return new Promise((resolve, reject) => {
    const request = indexedDB.open("km640", 1);
    request.onupgradeneeded = () => request.result.createObjectStore("recent");
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}

export async function recentFiles(): Promise<FileSystemFileHandle[]> {
  if (!picker.showOpenFilePicker) return [];
  const db = await database();
  return new Promise((resolve) => {
    const get = db.transaction("recent").objectStore("recent").get("list");
    get.onsuccess = () => resolve((get.result as FileSystemFileHandle[] | undefined) ?? []);
    get.onerror = () => resolve([]);
  });
}

export async function rememberRecent(handle: FileSystemFileHandle): Promise<void> {
  if (!picker.showOpenFilePicker) return;
  const list = await recentFiles();
  const kept: FileSystemFileHandle[] = [handle];
  for (const h of list) if (kept.length < kRecentCount && !(await h.isSameEntry(handle))) kept.push(h);
  const db = await database();
  db.transaction("recent", "readwrite").objectStore("recent").put(kept, "list");
}

export async function mayRead(handle: FileSystemFileHandle): Promise<boolean> {
  const h = handle as unknown as { requestPermission?: (o: object) => Promise<string> };
  if (!h.requestPermission) return true;
  return (await h.requestPermission({ mode: "readwrite" })) === "granted";
}
